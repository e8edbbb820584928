#pragma once
// A design search spread over a cluster: one task per scenario, each leaving
// its result as a part, plain text that any process (the program's
// --collect, the R package) reads back into the very ScenarioResult the task
// had; the parts of every task then give the one-shot search's tables.
//
//   taskScenarios(settings)             which scenario task k runs (longest first)
//   partText({text, k, n, result})     the part of task k, after runScenario
//   readPart(text, name)               a part back, its measures computed again
//   collectParts(parts)                every task once, of one search: settings and results for combineResults
//
// A part holds the settings' text it was run from (a design file's text, as
// parseDesignFile reads it) and that text's hash, the task's number, and the
// scenario's result: every replicate estimate of every design as hexadecimal
// floating point, exact. The measures are not written: measureScenario
// computes them again from the replicates, as runScenario did, so a part
// read back gives the same tables to the last digit.
//
// Nothing here writes to the console or to files; faults are thrown as
// text::RunTimeError naming the part and its line.

#include <cstdint>
#include <string>
#include <vector>

#include "design/search.hpp"

namespace arribada::design {

// A scenario's expected run time in seconds: its females x IREP at the cost
// of placing one female, measured on the development machine
// (docs/performance.md), five times higher on an uneven beach.
double expectedSeconds(const SearchSettings& settings, const Scenario& scenario);

// The scenario (0-based) of each task: element k is run by task k + 1. One
// task per scenario, the longest expected first (ties in scenario order), so
// that a cluster that starts tasks in their order finishes soonest.
std::vector<std::int32_t> taskScenarios(const SearchSettings& settings);

// The hash of a settings text (64-bit FNV-1a) as 16 hexadecimal digits.
std::string settingsHash(const std::string& settingsText);

// The file name of task `task`'s part: "part-3.txt".
std::string partFileName(std::int32_t task);

struct TaskPart {
  std::string settingsText;  // the design file's text the task ran
  std::int32_t task = 0;     // from 1
  std::int32_t tasks = 0;    // of the search
  ScenarioResult result;     // whole (a stopped scenario has no part)
};

// The part as text; a RunTimeError for a stopped result.
std::string partText(const TaskPart& part);

// The part in `text` (from the file `name`), its measures computed again; a
// RunTimeError "NAME, line N: ..." for anything that is not a whole part.
TaskPart readPart(const std::string& text, const std::string& name);

struct NamedPart {
  std::string name;  // the file it came from, for messages
  TaskPart part;
};

struct CollectedSearch {
  SearchSettings settings;
  std::vector<ScenarioResult> results;  // scenario order
};

// Checks that `parts` are every task of one search, each once, all from the
// same settings text, each of the scenario its task runs; a RunTimeError
// naming the parts at fault (missing tasks, duplicates, another search).
CollectedSearch collectParts(const std::vector<NamedPart>& parts);

}  // namespace arribada::design
