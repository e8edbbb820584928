// Fuzz target: a design file (any bytes) read as `arribada --design` reads
// it. A file it takes must give settings the search accepts, and a small
// search of them must run to its table; a file it refuses must say why on
// lines that each name the file.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "design/design_file.hpp"
#include "design/outputs.hpp"
#include "design/search.hpp"
#include "fuzz/fuzz_input.hpp"
#include "text/errors.hpp"

namespace {

using namespace arribada;

// A search small enough to run inside the fuzzer: few scenarios, designs and females.
bool small(const design::SearchSettings& settings) {
  if (design::scenarioCount(settings) > 4 || design::listDesigns(settings).size() > 8) return false;
  for (const design::Scenario& s : design::listScenarios(settings)) {
    if (static_cast<std::int64_t>(s.NN) * settings.IREP > 20000 || s.IHR > 120) return false;
  }
  return true;
}

void runSmallSearch(const design::SearchSettings& settings) {
  std::vector<design::ScenarioResult> results;
  for (const design::Scenario& s : design::listScenarios(settings)) {
    try {
      results.push_back(design::runScenario(settings, s.index));
    } catch (const text::RunTimeError&) {
      return;  // the engine's own refusals (a table that places nobody) are its tests' to check
    }
  }
  const design::SearchResult search = design::combineResults(settings, results);
  fuzz::require(!search.recommendation.text.empty(), "a search without a recommendation line");
  const std::string table = design::searchTable(settings, search);
  // The 80-column table opens with the recommendation, wrapped at its words.
  const std::string opening = search.recommendation.text.substr(0, 40);
  fuzz::require(table.starts_with(opening), "a table that does not open with the recommendation");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  design::SearchSettings settings;
  try {
    settings = design::parseDesignFile(in, "fuzz.design");
  } catch (const text::RunTimeError& error) {
    std::istringstream lines(error.what());
    std::string line;
    std::getline(lines, line);
    fuzz::require(line == "the design file cannot be used:", "a refusal without its first line");
    while (std::getline(lines, line)) {
      fuzz::require(line.starts_with("  fuzz.design"), "a fault that does not name the file");
    }
    return 0;
  }
  fuzz::require(design::validateSettings(settings).empty(), "a file taken whose settings the search refuses");
  fuzz::require(design::scenarioCount(settings) >= 1, "settings without a scenario");
  fuzz::require(design::expectedOutputSize(settings).total() > 0.0, "results of no size");
  if (small(settings)) runSmallSearch(settings);
  return 0;
}
