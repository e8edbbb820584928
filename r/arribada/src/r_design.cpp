// arribada_design() and its tasks: the design search's arguments written as
// a design file and read by the program's reader (the same names, defaults
// and faults), one scenario per task, and the scenarios' results carried
// between processes as plain R lists and combined as the program combines them.

#include <cpp11.hpp>

#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "design/design_file.hpp"
#include "design/outputs.hpp"
#include "design/search.hpp"
#include "r_tables.h"
#include "text/errors.hpp"

namespace arribada::r {
namespace {

constexpr const char* kSource = "arribada_design()";

// One NAME = value, value ... line per argument; a DENSITY given as a list
// gives one line per element (a scenario each).
void writeLine(std::ostringstream& text, const std::string& name, SEXP value) {
  text << name << " =";
  const char* separator = " ";
  if (TYPEOF(value) == STRSXP) {
    for (cpp11::r_string word : cpp11::strings(value)) {
      text << separator << std::string(word);
      separator = ", ";
    }
  } else {
    for (double number : cpp11::as_doubles(value)) {
      text << separator << decimal(number);
      separator = ", ";
    }
  }
  text << '\n';
}

// A refusal of the design-file reader, said of the function's arguments:
// without the file's name and line numbers, one argument per line.
[[noreturn]] void refuseArguments(const text::RunTimeError& error) {
  std::istringstream lines(error.what());
  std::string message = "arribada_design() cannot run:";
  std::string line;
  std::getline(lines, line);  // the file's heading
  while (std::getline(lines, line)) {
    const std::size_t place = line.find(kSource);
    if (place != std::string::npos) {
      const std::size_t colon = line.find(": ", place);
      line.erase(place, colon == std::string::npos ? 0 : colon + 2 - place);
    }
    message += "\n" + line;
  }
  cpp11::stop("%s", message.c_str());
}

design::SearchSettings specOf(const std::string& text) {
  std::istringstream in(text);
  try {
    return design::parseDesignFile(in, kSource);
  } catch (const text::RunTimeError& error) {
    refuseArguments(error);
  }
}

// DesignMeasures' members, named once for the trip to R and back.
using design::DesignMeasures;
constexpr std::pair<const char*, double DesignMeasures::*> kReals[] = {
    {"meanEstimate", &DesignMeasures::meanEstimate},
    {"meanEstimateSE", &DesignMeasures::meanEstimateSE},
    {"percentBias", &DesignMeasures::percentBias},
    {"percentBiasSE", &DesignMeasures::percentBiasSE},
    {"cv", &DesignMeasures::cv},
    {"cvSE", &DesignMeasures::cvSE},
    {"rmse", &DesignMeasures::rmse},
    {"rmseSE", &DesignMeasures::rmseSE},
    {"halfWidthPercent", &DesignMeasures::halfWidthPercent},
    {"halfWidthPercentSE", &DesignMeasures::halfWidthPercentSE}};
constexpr std::pair<const char*, std::optional<double> DesignMeasures::*> kOptionals[] = {
    {"coverage", &DesignMeasures::coverage},
    {"coverageSE", &DesignMeasures::coverageSE},
    {"coverageVARM", &DesignMeasures::coverageVARM},
    {"coverageVARMSE", &DesignMeasures::coverageVARMSE},
    {"coverageVARTR", &DesignMeasures::coverageVARTR},
    {"coverageVARTRSE", &DesignMeasures::coverageVARTRSE},
    {"coverageVARTI", &DesignMeasures::coverageVARTI},
    {"coverageVARTISE", &DesignMeasures::coverageVARTISE},
    {"coverageLogNormal", &DesignMeasures::coverageLogNormal},
    {"coverageLogNormalSE", &DesignMeasures::coverageLogNormalSE}};
// A replicate's estimate, column by column.
constexpr float engine::ReplicateEstimate::*kEstimates[] = {
    &engine::ReplicateEstimate::MHAT,  &engine::ReplicateEstimate::VARM, &engine::ReplicateEstimate::VARTR,
    &engine::ReplicateEstimate::VARTI, &engine::ReplicateEstimate::LCL,  &engine::ReplicateEstimate::UCL};

cpp11::writable::list outcomeToR(const design::DesignOutcome& o) {
  cpp11::writable::doubles measures;
  cpp11::writable::strings names;
  for (const auto& [name, member] : kReals) {
    measures.push_back(o.measures.*member);
    names.push_back(name);
  }
  for (const auto& [name, member] : kOptionals) {
    measures.push_back((o.measures.*member).value_or(NA_REAL));
    names.push_back(name);
  }
  measures.names() = names;
  cpp11::writable::doubles estimates;
  for (const engine::ReplicateEstimate& e : o.replicates) {
    for (auto member : kEstimates) estimates.push_back(e.*member);
  }
  cpp11::writable::list out;
  out.push_back(cpp11::as_sexp(o.skipped));
  out.push_back(cpp11::as_sexp(o.cost.rounds));
  out.push_back(cpp11::as_sexp(o.cost.observerHours));
  out.push_back(cpp11::as_sexp(o.cost.feasible));
  out.push_back(cpp11::as_sexp(o.cost.roundMinutes));
  out.push_back(measures);
  out.push_back(cpp11::as_sexp(o.measures.replicates));
  out.push_back(cpp11::as_sexp(o.measures.misses));
  out.push_back(estimates);
  out.push_back(cpp11::as_sexp(o.judged));
  out.push_back(cpp11::as_sexp(o.meetsTargets));
  out.names() = {"skipped", "rounds", "observer_hours", "feasible", "round_minutes", "measures", "replicates",
                 "misses", "estimates", "judged", "meets_targets"};
  return out;
}

design::DesignOutcome outcomeFromR(cpp11::list in, const design::Design& d) {
  design::DesignOutcome o;
  o.design = d;
  o.skipped = cpp11::as_cpp<std::string>(in["skipped"]);
  o.cost = {cpp11::as_cpp<int>(in["rounds"]), cpp11::as_cpp<double>(in["observer_hours"]),
            cpp11::as_cpp<bool>(in["feasible"]), cpp11::as_cpp<double>(in["round_minutes"])};
  const cpp11::doubles measures(in["measures"]);
  R_xlen_t i = 0;
  for (const auto& [name, member] : kReals) o.measures.*member = measures[i++];
  for (const auto& [name, member] : kOptionals) {
    const double value = measures[i++];
    if (!ISNA(value)) o.measures.*member = value;
  }
  o.measures.replicates = cpp11::as_cpp<int>(in["replicates"]);
  o.measures.misses = cpp11::as_cpp<int>(in["misses"]);
  const cpp11::doubles estimates(in["estimates"]);
  constexpr R_xlen_t columns = std::size(kEstimates);
  for (R_xlen_t at = 0; at + columns <= estimates.size(); at += columns) {
    engine::ReplicateEstimate e;
    for (R_xlen_t c = 0; c < columns; ++c) e.*kEstimates[c] = static_cast<float>(estimates[at + c]);
    o.replicates.push_back(e);
  }
  o.judged = cpp11::as_cpp<bool>(in["judged"]);
  o.meetsTargets = cpp11::as_cpp<bool>(in["meets_targets"]);
  return o;
}

cpp11::writable::list resultToR(const design::ScenarioResult& r) {
  cpp11::writable::list designs;
  for (const design::DesignOutcome& o : r.designs) designs.push_back(outcomeToR(o));
  cpp11::writable::list out;
  out.push_back(cpp11::as_sexp(r.scenario.index));
  out.push_back(cpp11::as_sexp(r.replicates));
  out.push_back(cpp11::as_sexp(r.independentReplicates));
  out.push_back(cpp11::as_sexp(r.stopped));
  out.push_back(designs);
  out.names() = {"index", "replicates", "independent_replicates", "stopped", "designs"};
  return out;
}

design::ScenarioResult resultFromR(cpp11::list in, const std::vector<design::Scenario>& scenarios,
                                   const std::vector<design::Design>& designs) {
  const int index = cpp11::as_cpp<int>(in["index"]);
  const cpp11::list outcomes(in["designs"]);
  if (index < 0 || static_cast<std::size_t>(index) >= scenarios.size() ||
      static_cast<std::size_t>(outcomes.size()) != designs.size()) {
    cpp11::stop("a task's result does not belong to this design search");
  }
  design::ScenarioResult r;
  r.scenario = scenarios[static_cast<std::size_t>(index)];
  r.replicates = cpp11::as_cpp<int>(in["replicates"]);
  r.independentReplicates = cpp11::as_cpp<int>(in["independent_replicates"]);
  r.stopped = cpp11::as_cpp<bool>(in["stopped"]);
  for (std::size_t d = 0; d < designs.size(); ++d) {
    r.designs.push_back(outcomeFromR(outcomes[static_cast<R_xlen_t>(d)], designs[d]));
  }
  return r;
}

}  // namespace
}  // namespace arribada::r

[[cpp11::register]]
std::string design_settings_text(cpp11::list arguments) {
  std::ostringstream text;
  const cpp11::strings names(arguments.names());
  for (R_xlen_t i = 0; i < arguments.size(); ++i) {
    const std::string name(names[i]);
    SEXP value = arguments[i];
    if (TYPEOF(value) == VECSXP) {
      for (SEXP element : cpp11::list(value)) arribada::r::writeLine(text, name, element);
    } else {
      arribada::r::writeLine(text, name, value);
    }
  }
  return text.str();
}

// The size of a search: its scenarios, designs and replicates (the settings checked).
[[cpp11::register]]
cpp11::integers design_size(std::string settings) {
  const arribada::design::SearchSettings s = arribada::r::specOf(settings);
  cpp11::writable::integers size = {static_cast<int>(arribada::design::listScenarios(s).size()),
                                    static_cast<int>(arribada::design::listDesigns(s).size()), s.IREP};
  size.names() = {"scenarios", "designs", "IREP"};
  return size;
}

[[cpp11::register]]
cpp11::list design_run_scenario(std::string settings, int index, std::string instructionSet, SEXP progress) {
  using namespace arribada;
  const design::SearchSettings s = r::specOf(settings);
  engine::EngineOptions options;
  options.threads = 1;
  options.instructionSet = r::instructionSetNamed(instructionSet);
  // R stops the run by an interrupt (or an error of `progress`), between two replicates.
  const design::ProgressCallback report = [progress](const design::Progress& p) {
    cpp11::check_user_interrupt();
    if (progress != R_NilValue) {
      const cpp11::function advance(progress);
      advance(cpp11::as_sexp(p.replicate));
    }
    return design::Continue::yes;
  };
  return r::resultToR(design::runScenario(s, index, report, options));
}

[[cpp11::register]]
cpp11::list design_combine(std::string settings, cpp11::list results) {
  using namespace arribada;
  const design::SearchSettings s = r::specOf(settings);
  const std::vector<design::Scenario> scenarios = design::listScenarios(s);
  const std::vector<design::Design> designs = design::listDesigns(s);
  std::vector<design::ScenarioResult> combined;
  std::vector<bool> seen(scenarios.size(), false);
  for (SEXP result : results) {
    combined.push_back(r::resultFromR(cpp11::list(result), scenarios, designs));
    const auto index = static_cast<std::size_t>(combined.back().scenario.index);
    if (seen[index]) cpp11::stop("scenario %d has two results", static_cast<int>(index) + 1);
    seen[index] = true;
  }
  if (combined.size() != scenarios.size()) {
    cpp11::stop("the results hold %d of the search's %d scenarios", static_cast<int>(combined.size()),
                static_cast<int>(scenarios.size()));
  }
  const design::SearchResult search = design::combineResults(s, combined);
  std::vector<results::NamedRow> rows;
  for (const design::DesignRow& row : search.rows) rows.push_back(design::designRow(s, row));
  cpp11::writable::list out;
  out.push_back(r::columnsOf(rows));
  out.push_back(cpp11::as_sexp(search.recommendation.text));
  out.push_back(cpp11::as_sexp(design::searchTable(s, search)));
  out.push_back(cpp11::as_sexp(s.TARGET_CV));
  out.names() = {"table", "recommendation", "text", "TARGET_CV"};
  return out;
}
