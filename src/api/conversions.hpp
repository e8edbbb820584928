#pragma once
// The host-facing calls' own helpers: how a host's numbers become the text
// the program's readers read, the warnings a reader gives as lines, and the
// engine a host asks for. Not for hosts: api.hpp is their header.

#include <sstream>
#include <string>
#include <vector>

#include "api/values.hpp"
#include "engine/simulation.hpp"
#include "text/channels.hpp"

namespace arribada::api::detail {

// The decimal a user would have typed for `value` in the program's files:
// a whole number in full, else the fewest digits that read back as the same
// double (which the readers then round to a 32-bit real once). The point is
// the decimal mark whatever the locale.
std::string decimalText(double value);

// The values joined by `separator`, numbers as decimalText gives them.
std::string joined(const NamedValue& value, const std::string& separator);

// The warnings of a reader, collected: one line each, without the
// program's "arribada: warning: " prefix.
class CollectedWarnings {
 public:
  text::Warnings warnings() { return text::Warnings(&text_); }
  std::vector<std::string> lines() const;

 private:
  std::ostringstream text_;
};

// The engine's options for the host's choice; a RunTimeError for an
// instruction set this processor or build does not run.
engine::EngineOptions engineOptions(const EngineChoice& choice);

}  // namespace arribada::api::detail
