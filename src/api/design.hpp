#pragma once
// The design search as tasks, one per scenario: its settings from a design
// file's text or from named values, each task run anywhere (another
// process, a cluster job, a page's worker) to a result carried as text, and
// the results collected into the tables, the recommendation and the
// results folder's files. See api.hpp for the contract.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "api/values.hpp"
#include "design/search.hpp"

namespace arribada::api {

// The text of a design file holding the values: one NAME = v1, v2, ...
// line per value (numbers in the shortest decimal that reads back as the
// same double, texts as given), a repeated name (DENSITY) a line each.
std::string designFileText(const NamedValues& values);

// Where a design's text comes from, for its refusals: a file's refusals name
// the file and its lines; values' refusals say "CALLER cannot run:" and then
// one fault per line, each naming the value, without file or line.
enum class DesignOrigin { file, values };

struct DesignProducts {
  Rows designs;                // designs.csv's rows, cheapest first
  std::string recommendation;  // the recommendation's line
  std::string table;           // the table and recommendation as `--design` prints them
  double TARGET_CV = 0.0;
  std::string designsCsv;      // designs.csv
  std::string replicatesCsv;   // design-replicates.csv
  std::string designsSvg;      // designs.svg
};

// Called after each replicate of a task (from 1, of `replicates`); false
// stops the task there (its result is then marked stopped), and it may
// throw to abandon the task.
using DesignProgress = std::function<bool(std::int32_t replicate, std::int32_t replicates)>;

class DesignSearch {
 public:
  // Reads and checks the design's text; `name` is the file's name, or the
  // caller's ("arribada_design()") for values.
  DesignSearch(std::string text, std::string name, DesignOrigin origin = DesignOrigin::file);

  const std::string& text() const { return text_; }
  const design::SearchSettings& settings() const { return settings_; }
  std::int32_t tasks() const;    // one per scenario
  std::int32_t designs() const;  // designs per scenario
  std::int32_t replicates() const { return settings_.IREP; }

  // Runs task `task` (0 to tasks() - 1) and returns its result as text: the
  // text carries what collect() needs and nothing of the process that made it.
  std::string runTask(std::int32_t task, const DesignProgress& progress = {}, const EngineChoice& engine = {}) const;

  // Every task's result, once each, in any order; a result of another
  // search, a task missing or given twice is a refusal.
  DesignProducts collect(const std::vector<std::string>& results) const;

 private:
  std::string text_;
  std::string name_;
  design::SearchSettings settings_;
};

}  // namespace arribada::api
