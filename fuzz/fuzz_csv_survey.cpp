// Fuzz target: a survey table as a spreadsheet saves it (any bytes, any
// encoding), read and analysed as one night of `arribada --field`.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fielddata/nights.hpp"
#include "fuzz/fuzz_input.hpp"
#include "text/errors.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace arribada;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    const fielddata::CsvSurvey csv = fielddata::readCsvSurvey(bytes, "'fuzz.csv'");
    const fielddata::FieldAnalysis analysis =
        fielddata::analyseNights({{"fuzz.csv", csv.title, csv.survey, csv.MEANT_SE, csv.times, csv.date}});
    fuzz::require(analysis.counts.front().times.hours.size() == static_cast<std::size_t>(csv.survey.header.NT1),
                  "a time for each sampling time");
  } catch (const text::RunTimeError& error) {
    const std::string message = error.what();
    // The reader names the row and the column; the analysis (values beyond a real) the file.
    const bool placed = message.find("'fuzz.csv', row ") != std::string::npos &&
                        message.find(", column ") != std::string::npos;
    fuzz::require(placed || message.find("beyond the range of a real") != std::string::npos,
                  "a message without the file, row and column");
  }
  return 0;
}
