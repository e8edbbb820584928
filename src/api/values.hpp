#pragma once
// The plain values the host-facing calls share: named values as a host
// passes them (R's named arguments, a form's fields), rows of the results
// tables, and the engine's choices. See api.hpp for the contract.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "results/csv.hpp"

namespace arribada::api {

// A value as a host holds it: a vector of numbers or of texts (one element
// for a single value).
using Numbers = std::vector<double>;
using Texts = std::vector<std::string>;
struct NamedValue {
  std::string name;
  std::variant<Numbers, Texts> value;
};
// In the host's order; a name may repeat where the file it stands for
// allows it (a design file's DENSITY: one scenario each).
using NamedValues = std::vector<NamedValue>;

// Rows of a results table, every row with the same columns in the same order.
using Rows = std::vector<results::NamedRow>;

// The rows as the results folder writes them: the header row of the first
// row's column names, then one line per row, each ending in CR LF. No rows,
// no text.
std::string csvText(const Rows& rows);

// How the engine runs: its threads (1, or 2 to build each replicate's
// arribada on a second thread) and its instruction set, by name ("" for the
// fastest this processor runs). The results do not depend on either.
struct EngineChoice {
  std::int32_t threads = 1;
  std::string instructionSet;
};

// The instruction sets this processor and build run, by name, fastest last.
std::vector<std::string> instructionSets();

}  // namespace arribada::api
