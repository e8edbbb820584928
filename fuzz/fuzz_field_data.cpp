// Fuzz target: a whole field-data file as the program reads it (the title
// line, the header, the counts in either layout, the weights) and the
// analysis that prints the estimate, on recording console and report sinks.

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/parameters.hpp"
#include "fielddata/analysis.hpp"
#include "fuzz/fuzz_input.hpp"
#include "text/channels.hpp"
#include "text/errors.hpp"
#include "text/freeread.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace arribada;
  fuzz::FuzzFile file(data, size, "fuzz.dat");
  text::RecordingSink console;
  text::RecordingSink report;
  engine::SimulationParameters params;
  // A value left by an earlier job stands for a null NTR in the header.
  params.NTR = 10;
  try {
    (void)text::readFixedLine(file.source, 80);
    fielddata::analyseFieldData(file.source, console, report, params);
    fuzz::require(params.NTR >= 1 && params.NTR <= 1000, "a survey larger than the grid was analysed");
    fuzz::require(!report.records.empty(), "an analysis that reported nothing");
  } catch (const text::RunTimeError& error) {
    fuzz::require(std::string(error.what()).find("fuzz.dat") != std::string::npos, "a message without the file");
  }
  fuzz::requireRecordsFit(console.records);
  fuzz::requireRecordsFit(report.records);
  return 0;
}
