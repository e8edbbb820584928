#include "driver/field_mode.hpp"

#include <string>
#include <vector>

#include "fielddata/nights.hpp"
#include "fielddata/nights_table.hpp"
#include "results/folder.hpp"
#include "text/errors.hpp"

namespace arribada::driver {

int runFieldAnalysis(const Options& options, std::ostream& out, std::ostream& errors) {
  try {
    std::vector<fielddata::SurveyNight> nights;
    for (const std::string& name : options.names) {
      errors << "arribada: reading '" << name << "' (night " << nights.size() + 1 << ")\n";
      nights.push_back(fielddata::readSurveyFile(name, text::Warnings(&errors)));
    }
    const fielddata::FieldAnalysis analysis = fielddata::analyseNights(nights);
    if (options.resultsDirectory) {
      results::writeFieldAnalysis(*options.resultsDirectory, analysis);
      errors << "arribada: field.csv and field.svg written in '" << *options.resultsDirectory << "'\n";
    }
    out << fielddata::nightsTable(analysis);
  } catch (const text::RunTimeError& error) {
    out.flush();
    errors << "arribada: run-time error: " << error.what() << '\n';
    return text::kRunTimeErrorStatus;
  }
  out.flush();
  if (!out) {
    errors << "arribada: standard output cannot be written\n";
    return text::kRunTimeErrorStatus;
  }
  return 0;
}

}  // namespace arribada::driver
