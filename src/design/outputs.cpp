#include "design/outputs.hpp"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "design/measures.hpp"
#include "design/pilot.hpp"
#include "engine/estimate.hpp"
#include "results/csv.hpp"
#include "results/files.hpp"
#include "text/errors.hpp"

namespace arribada::design {
namespace {

using results::CsvField;
using results::Missing;
using results::NamedRow;

CsvField real(double value) { return static_cast<float>(value); }
CsvField orMissing(const std::optional<double>& value) {
  if (value) return real(*value);
  return Missing{};
}
std::string startName(Start s) { return s == Start::random ? "random" : "first"; }
std::string allocationName(Allocation a) { return a == Allocation::density ? "density" : "even"; }

NamedRow scenarioFields(const SearchSettings& settings, const Scenario& s, const Design& d) {
  return {{"scenario", s.index + 1},  {"NN", s.NN},           {"IHR", s.IHR},
          {"MIN", s.MIN},             {"STDDEV", s.STDDEV},   {"KSW", s.KSW},
          {"density", s.densityLabel}, {"count_cv", real(s.countCV)}, {"NTR", settings.NTR},
          {"IC", d.IC},               {"EVERY", d.EVERY},     {"START", startName(d.START)},
          {"observers", d.observers}, {"allocation", allocationName(d.allocation)}};
}

}  // namespace

OutputSize expectedOutputSize(const SearchSettings& settings) {
  constexpr double kBytesPerRow = 300.0;
  constexpr double kBytesPerReplicateRow = 120.0;
  constexpr double kBytesPerPanel = 3400.0;
  constexpr double kBytesPerPoint = 520.0;
  const auto scenarios = static_cast<double>(scenarioCount(settings));
  const auto designs = static_cast<double>(listDesigns(settings).size());
  OutputSize size;
  size.rows = scenarios * designs;
  size.replicateRows = size.rows * settings.IREP;
  size.designs = size.rows * kBytesPerRow;
  size.replicates = size.replicateRows * kBytesPerReplicateRow;
  size.picture = scenarios * kBytesPerPanel + size.rows * kBytesPerPoint;
  return size;
}

NamedRow designRow(const SearchSettings& settings, const DesignRow& row) {
  const ScenarioResult& r = *row.scenario;
  const DesignOutcome& o = *row.outcome;
  const DesignMeasures& m = o.measures;
  const bool ran = o.skipped.empty();
  const auto measured = [ran](CsvField value) { return ran ? value : CsvField{Missing{}}; };
  NamedRow fields = scenarioFields(settings, r.scenario, o.design);
  const NamedRow rest{
      {"skipped", o.skipped},
      {"rounds", o.cost.rounds},
      {"round_minutes", real(o.cost.roundMinutes)},
      {"observer_hours", real(o.cost.observerHours)},
      {"feasible", o.cost.feasible},
      {"replicates", measured(m.replicates)},
      {"independent_replicates", measured(r.independentReplicates)},
      {"mean_estimate", measured(real(m.meanEstimate))},
      {"mean_estimate_se", measured(real(m.meanEstimateSE))},
      {"percent_bias", measured(real(m.percentBias))},
      {"percent_bias_se", measured(real(m.percentBiasSE))},
      {"cv", measured(real(m.cv))},
      {"cv_se", measured(real(m.cvSE))},
      {"rmse", measured(real(m.rmse))},
      {"rmse_se", measured(real(m.rmseSE))},
      {"relative_rmse", measured(real(m.rmse / r.scenario.NN))},
      {"relative_rmse_se", measured(real(m.rmseSE / r.scenario.NN))},
      {"misses", measured(m.misses)},
      {"coverage", orMissing(m.coverage)},
      {"coverage_se", orMissing(m.coverageSE)},
      {"coverage_log_normal", orMissing(m.coverageLogNormal)},
      {"coverage_log_normal_se", orMissing(m.coverageLogNormalSE)},
      {"coverage_2se_VARM", orMissing(m.coverageVARM)},
      {"coverage_2se_VARM_se", orMissing(m.coverageVARMSE)},
      {"coverage_2se_VARTR", orMissing(m.coverageVARTR)},
      {"coverage_2se_VARTR_se", orMissing(m.coverageVARTRSE)},
      {"coverage_2se_VARTI", orMissing(m.coverageVARTI)},
      {"coverage_2se_VARTI_se", orMissing(m.coverageVARTISE)},
      {"half_width_percent", measured(real(m.halfWidthPercent))},
      {"half_width_percent_se", measured(real(m.halfWidthPercentSE))},
      {"judged", o.judged},
      {"meets_targets", o.meetsTargets},
      {"recommended", row.recommended}};
  fields.insert(fields.end(), rest.begin(), rest.end());
  return fields;
}

namespace {

NamedRow replicateRow(const SearchSettings& settings, const DesignRow& row, std::int32_t L,
                      const engine::ReplicateEstimate& e) {
  NamedRow fields = scenarioFields(settings, row.scenario->scenario, row.outcome->design);
  const std::int32_t NN = row.scenario->scenario.NN;
  const NamedRow rest{{"replicate", L},   {"MHAT", e.MHAT}, {"VARM", e.VARM}, {"VARTR", e.VARTR},
                      {"VARTI", e.VARTI}, {"LCL", e.LCL},   {"UCL", e.UCL},
                      {"covered", engine::intervalIncludes(e.LCL, e.UCL, NN)}};
  fields.insert(fields.end(), rest.begin(), rest.end());
  return fields;
}

std::string padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string withSE(const std::optional<double>& value, const std::optional<double>& se, int decimals) {
  if (!value) return "-";
  return fixed(*value, decimals) + " (" + fixed(*se, decimals) + ")";
}

// What a scenario is, for the table's key: "scenario 2: NN 50000, IHR 60, ...".
std::string scenarioKey(const Scenario& s) {
  return "scenario " + std::to_string(s.index + 1) + ": NN " + std::to_string(s.NN) + ", IHR " +
         std::to_string(s.IHR) + ", MIN " + results::shortestReal(s.MIN) + ", STDDEV " +
         results::shortestReal(s.STDDEV) + ", " + engine::lawName(s.KSW) +
         " nesting times, density " + s.densityLabel +
         (s.countCV > 0.0 ? ", count CV " + results::shortestReal(static_cast<float>(s.countCV)) : std::string());
}

// Which designs are the pilots' own, for the table's key, each line wrapped to `width`.
std::string pilotDesignKey(const SearchSettings& settings, std::size_t width) {
  std::string key;
  for (const Design& d : listDesigns(settings)) {
    if (!d.pilot.empty()) key += wrapped(designName(d) + " is how pilot " + d.pilot + " was counted", width) + "\n";
  }
  return key;
}

// The scenarios' warnings in the order of the scenarios, one line for each
// text: "warning in scenario 2: ..." or, for scenarios that share it (a
// pilot at several NN_FACTORs), "warning in scenarios 1, 2, 3: ...".
std::string warningLines(const SearchResult& search, std::size_t width) {
  std::vector<const ScenarioResult*> warned;
  for (const DesignRow& row : search.rows) {
    if (!row.scenario->warning.empty() && std::find(warned.begin(), warned.end(), row.scenario) == warned.end()) {
      warned.push_back(row.scenario);
    }
  }
  std::sort(warned.begin(), warned.end(), [](const ScenarioResult* a, const ScenarioResult* b) {
    return a->scenario.index < b->scenario.index;
  });
  std::vector<std::pair<std::string, std::vector<std::int32_t>>> texts;  // each text and its scenarios
  for (const ScenarioResult* r : warned) {
    auto same = std::find_if(texts.begin(), texts.end(), [&](const auto& t) { return t.first == r->warning; });
    if (same == texts.end()) same = texts.insert(texts.end(), {r->warning, {}});
    same->second.push_back(r->scenario.index + 1);
  }
  std::string lines;
  for (const auto& [warning, scenarios] : texts) {
    lines += wrapped((scenarios.size() == 1 ? "warning in scenario " : "warning in scenarios ") +
                         text::numberList(scenarios) + ": " + warning,
                     width) + "\n";
  }
  return lines;
}

// One line for each scenario whose designs were not judged for want of independent replicates.
std::string unjudgedLines(const SearchResult& search, std::size_t width) {
  std::string lines;
  std::vector<const ScenarioResult*> said;
  for (const DesignRow& row : search.rows) {
    const ScenarioResult* r = row.scenario;
    if (!row.outcome->skipped.empty() || row.outcome->judged) continue;
    if (std::find(said.begin(), said.end(), r) != said.end()) continue;
    said.push_back(r);
    lines += wrapped("not judged in scenario " + std::to_string(r->scenario.index + 1) + ": " +
                         std::to_string(std::min(r->replicates, r->independentReplicates)) +
                         " independent replicates, fewer than the " + std::to_string(kMinJudgedReplicates) +
                         " needed to judge a design against the targets",
                     width) +
             "\n";
  }
  return lines;
}

// A design's verdict in a scenario: "-" when not judged, "late" (when `late` is
// asked) for a round that does not fit, else whether it meets the targets.
std::string verdict(const DesignOutcome& o, bool late) {
  if (!o.judged) return "-";
  if (late && !o.cost.feasible) return "late";
  return o.meetsTargets ? "yes" : "no";
}

std::string targetsLine(const SearchSettings& settings) {
  return "Targets: " + targetsText(settings) + " (relative RMSE = rmse / NN); (SE) are Monte Carlo standard errors.";
}

// The key of every scenario in the table (a pilot's with how it came from
// the survey), then which designs are the pilots' own, each wrapped to `width`.
std::string scenarioKeys(const SearchSettings& settings, const SearchResult& search, std::size_t width) {
  std::string key;
  std::vector<bool> keyed;
  for (const DesignRow& row : search.rows) {
    const Scenario& s = row.scenario->scenario;
    if (static_cast<std::size_t>(s.index) >= keyed.size()) keyed.resize(static_cast<std::size_t>(s.index) + 1);
    if (!keyed[static_cast<std::size_t>(s.index)]) {
      keyed[static_cast<std::size_t>(s.index)] = true;
      key += wrapped(scenarioKey(s), width) + "\n";
      if (s.pilot >= 0) {
        key += wrapped(pilotKey(settings.pilots[static_cast<std::size_t>(s.pilot)], s.NN_FACTOR), width) + "\n";
      }
    }
  }
  return key + pilotDesignKey(settings, width);
}

std::string skippedLines(const SearchResult& search, std::size_t width) {
  std::string skipped;
  for (const DesignRow& row : search.rows) {
    const DesignOutcome& o = *row.outcome;
    if (o.skipped.empty()) continue;
    skipped += wrapped("skipped in scenario " + std::to_string(row.scenario->scenario.index + 1) + ": " +
                           designName(o.design) + ": " + o.skipped,
                       width) +
               "\n";
  }
  return skipped;
}

// Today's full table, one line per design and scenario, the recommendation last (--wide).
std::string wideTable(const SearchSettings& settings, const SearchResult& search) {
  std::string out =
      "   IC EVERY  START  OBS    ALLOC  scenario  rounds  round-min  obs-hours  feasible  rel. RMSE (SE)   "
      "coverage (SE)    %bias (SE)     meets\n";
  for (const DesignRow& row : search.rows) {
    const DesignOutcome& o = *row.outcome;
    const Design& d = o.design;
    if (!o.skipped.empty()) continue;
    const DesignMeasures& m = o.measures;
    const double N = row.scenario->scenario.NN;
    out += padded(std::to_string(d.IC), 5) + padded(std::to_string(d.EVERY), 6) + padded(startName(d.START), 7) +
           padded(std::to_string(d.observers), 5) + padded(allocationName(d.allocation), 9) +
           padded(std::to_string(row.scenario->scenario.index + 1), 10) + padded(std::to_string(o.cost.rounds), 8) +
           padded(hoursText(o.cost.roundMinutes), 11) + padded(hoursText(o.cost.observerHours), 11) +
           padded(o.cost.feasible ? "yes" : "no", 10) + padded(withSE(m.rmse / N, m.rmseSE / N, 3), 16) +
           padded(withSE(m.coverage, m.coverageSE, 3), 16) + padded(withSE(m.percentBias, m.percentBiasSE, 2), 14) +
           padded(verdict(o, false), 10) + (row.recommended ? "  <- recommended" : "") + "\n";
  }
  out += targetsLine(settings) + "\n";
  return out + scenarioKeys(settings, search, kNoWrap) + warningLines(search, kNoWrap) + unjudgedLines(search, kNoWrap) +
         skippedLines(search, kNoWrap) + search.recommendation.text + "\n";
}

// The table for an 80-column screen: the recommendation first, then one
// short line per design and scenario; every other column is in designs.csv.
std::string narrowTable(const SearchSettings& settings, const SearchResult& search) {
  std::string out = wrapped(search.recommendation.text, kScreenColumns) + "\n\n";
  out += "  IC EVERY  START OBS   ALLOC  SC  OBS-H  REL.RMSE (SE)  COVERAGE (SE) MEETS\n";
  bool late = false;
  for (const DesignRow& row : search.rows) {
    const DesignOutcome& o = *row.outcome;
    const Design& d = o.design;
    if (!o.skipped.empty()) continue;
    const DesignMeasures& m = o.measures;
    const double N = row.scenario->scenario.NN;
    late = late || !o.cost.feasible;
    out += padded(std::to_string(d.IC), 4) + padded(std::to_string(d.EVERY), 6) + padded(startName(d.START), 7) +
           padded(std::to_string(d.observers), 4) + padded(allocationName(d.allocation), 8) +
           padded(std::to_string(row.scenario->scenario.index + 1), 4) + padded(hoursText(o.cost.observerHours), 7) +
           padded(withSE(m.rmse / N, m.rmseSE / N, 3), 15) + padded(withSE(m.coverage, m.coverageSE, 3), 15) +
           padded(verdict(o, true), 6) + (row.recommended ? " *" : "") +
           "\n";
  }
  out += wrapped(targetsLine(settings) + " * recommended" +
                     (late ? "; late: a round does not fit in the hours between rounds." : "."),
                 kScreenColumns);
  out += '\n';
  out += scenarioKeys(settings, search, kScreenColumns) + warningLines(search, kScreenColumns) +
         unjudgedLines(search, kScreenColumns) +
         skippedLines(search, kScreenColumns);
  return out + wrapped("Every column, and every replicate, is in designs.csv and design-replicates.csv; "
                       "--wide prints the full table here.",
                       kScreenColumns) +
         "\n";
}

}  // namespace

std::string hoursText(double hours) { return fixed(hours, 1); }

std::string wrapped(const std::string& text, std::size_t width) {
  if (width == kNoWrap) return text;
  std::string out;
  std::string line;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t space = text.find(' ', at);
    const std::string word = text.substr(at, space == std::string::npos ? std::string::npos : space - at);
    at = space == std::string::npos ? text.size() : space + 1;
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      out += line + "\n";
      line = "  " + word;
    } else {
      line += (line.empty() ? "" : " ") + word;
    }
  }
  return out + line;
}

std::string searchTable(const SearchSettings& settings, const SearchResult& search, TableWidth width) {
  return width == TableWidth::wide ? wideTable(settings, search) : narrowTable(settings, search);
}

std::vector<std::string> longRoundWarnings(const SearchResult& search) {
  std::vector<std::string> warnings;
  std::vector<bool> said;
  for (const DesignRow& row : search.rows) {
    const DesignOutcome& o = *row.outcome;
    const auto i = static_cast<std::size_t>(o.design.index);
    if (i >= said.size()) said.resize(i + 1);
    if (!o.skipped.empty() || !o.cost.feasible || said[i] || o.cost.roundMinutes <= kLongestInstantRoundMinutes) continue;
    said[i] = true;
    warnings.push_back(designName(o.design) + ": a round takes " + hoursText(o.cost.roundMinutes) +
                       " minutes, more than " + hoursText(kLongestInstantRoundMinutes) +
                       ": the counts are no longer instantaneous, and the estimate's assumption that a round "
                       "reads one moment of the arribada strains");
  }
  return warnings;
}

std::string designsCsv(const SearchSettings& settings, const SearchResult& search) {
  std::vector<NamedRow> rows;
  for (const DesignRow& row : search.rows) rows.push_back(designRow(settings, row));
  return results::csvText(rows);
}

std::string designReplicatesCsv(const SearchSettings& settings, const SearchResult& search) {
  std::vector<NamedRow> rows;
  for (const DesignRow& row : search.rows) {
    const auto& reps = row.outcome->replicates;
    for (std::size_t L = 0; L < reps.size(); ++L) {
      rows.push_back(replicateRow(settings, row, static_cast<std::int32_t>(L + 1), reps[L]));
    }
  }
  return results::csvText(rows);
}

void writeSearchFiles(const std::string& folder, const SearchSettings& settings, const SearchResult& search,
                      const std::vector<ScenarioResult>& results) {
  // A table without rows is not written, as the folder's tables never are.
  for (const auto& [name, text] : {std::pair{"/designs.csv", designsCsv(settings, search)},
                                   std::pair{"/design-replicates.csv", designReplicatesCsv(settings, search)}}) {
    if (!text.empty()) results::writeNewFile(folder + name, text);
  }
  results::writeNewFile(folder + "/designs.svg", searchPicture(settings, search, results));
}

}  // namespace arribada::design
