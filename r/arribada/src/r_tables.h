#pragma once
// The package's glue between the library and R: rows of the results tables
// as R columns, the library's warnings and progress as R's, and the
// instruction set a session asks for.

#include <cpp11.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "engine/fast/instruction_sets.hpp"
#include "results/csv.hpp"

namespace arribada::r {

// The rows as a named list of columns (make it a data frame in R): a column
// of reals becomes doubles (every float is a double exactly), of integers
// integers, of texts character, of TRUE/FALSE logical; a missing field is NA.
cpp11::writable::list columnsOf(const std::vector<results::NamedRow>& rows);

// The library's warnings, collected while it reads, handed to R's warning().
class CollectedWarnings {
 public:
  std::ostream* stream() { return &text_; }
  void raise() const;

 private:
  std::ostringstream text_;
};

// The shortest decimal that reads back as `value` (a whole number in full):
// the text a user would have typed in the program's files, which its
// readers turn into a 32-bit real with one rounding.
std::string decimal(double value);

// The instruction set named by `name` ("" for the fastest this processor
// runs); an R error when the processor does not run it.
engine::InstructionSet instructionSetNamed(const std::string& name);

}  // namespace arribada::r
