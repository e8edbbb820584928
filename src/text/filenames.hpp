#pragma once
// Names of the files a run opens: as typed between quotes, or, when the name
// was left blank, the next command-line argument not yet used, or else a
// plain line typed at the "UNIT n?" prompt.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "text/channels.hpp"

namespace arribada::text {

class FileNamer {
 public:
  FileNamer(Console& console, std::vector<std::string> arguments)
      : console_(console), arguments_(std::move(arguments)) {}

  // The name to open on `unit` for a name typed as `typed` (leading and
  // trailing blanks removed).
  std::string resolve(const std::string& typed, std::int32_t unit);

 private:
  Console& console_;
  std::vector<std::string> arguments_;
  std::size_t nextArgument_ = 0;
};

// `text` without leading and trailing blanks.
std::string trimmed(const std::string& text);

}  // namespace arribada::text
