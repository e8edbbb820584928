#pragma once
// Free-format input: how a read statement splits lines into values.
//
// Blanks, tabs, commas and line ends separate values; blank lines are passed
// over; texts stand between apostrophes or double quotes (a doubled quote is
// one quote); an empty value between commas or an empty pair of quotes leaves
// the variable as it was; "/" ends the read; r*v stands for r copies of v.
// When all variables are filled, the rest of the line is discarded, so every
// read statement starts on a new line.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>

#include "text/lines.hpp"

namespace arribada::text {

// A text variable of fixed length: a value is cut or padded with blanks.
struct TextTarget {
  std::string* value;
  std::size_t length;
};

// An integer variable whose values must lie in [min, max].
struct BoundedIntegerTarget {
  std::int32_t* value;
  std::int32_t min;
  std::int32_t max;
  const char* what;  // names the value in the message, e.g. "count"
};

using ReadTarget = std::variant<std::int32_t*, float*, TextTarget, BoundedIntegerTarget>;

enum class AtEndOfInput { Fail, EndRead };

struct ReadOutcome {
  std::size_t processed = 0;     // variables filled or left by a null value
  bool endedBySlash = false;
  bool endedByEndOfInput = false;  // only with AtEndOfInput::EndRead
};

// One read statement. A value that cannot be read, a text without quotes and,
// with AtEndOfInput::Fail, the end of input before the last variable end the
// run with a RunTimeError naming the source, the line and the offending text.
ReadOutcome readFreeFormat(LineSource& source, std::span<const ReadTarget> targets,
                           AtEndOfInput atEnd = AtEndOfInput::Fail);

inline ReadOutcome readFreeFormat(LineSource& source, std::initializer_list<ReadTarget> targets,
                                  AtEndOfInput atEnd = AtEndOfInput::Fail) {
  return readFreeFormat(source, std::span<const ReadTarget>(targets.begin(), targets.size()), atEnd);
}

// The first character of the next line; a blank for an empty line.
char readCharacter(LineSource& source);

// The next line cut or padded with blanks to `width` columns.
std::string readFixedLine(LineSource& source, std::size_t width);

// The next line as it stands.
std::string readWholeLine(LineSource& source);

}  // namespace arribada::text
