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
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <variant>

#include "text/lines.hpp"

namespace arribada::text {

// A text variable of fixed length: a value is cut or padded with blanks;
// of length kWholeText it takes the value whole, as typed.
struct TextTarget {
  std::string* value;
  std::size_t length;
};
inline constexpr std::size_t kWholeText = std::string::npos;

// An integer variable whose values must lie in [min, max].
struct BoundedIntegerTarget {
  std::int32_t* value;
  std::int32_t min;
  std::int32_t max;
};

using ReadTarget = std::variant<std::int32_t*, float*, TextTarget, BoundedIntegerTarget>;

enum class AtEndOfInput { Fail, EndRead };

// How a message names the value of variable `index` of a read, in the words of
// the dialogue or of the file's layout ("the answer to NN, the true number of
// females"; "NTR in the header of 'survey.dat'"), with an example of a value
// that would do ("50000"; empty: one that fits the variable's type).
struct ValueName {
  std::string what;
  std::string example;
};
using ValueNamer = std::function<ValueName(std::size_t index)>;

struct ReadOutcome {
  std::size_t processed = 0;     // variables filled or left by a null value
  bool endedBySlash = false;
  bool endedByEndOfInput = false;  // only with AtEndOfInput::EndRead
  std::string lastLine;            // the line the read ended on, as it stood
  std::size_t restAt = 0;          // where in it the discarded rest begins
};

// One read statement. A value that cannot be read, a text without quotes and,
// with AtEndOfInput::Fail, the end of input before the last variable end the
// run with a RunTimeError naming the value (by `names`), the source and its
// line, what was expected with an example, and the offending text.
ReadOutcome readFreeFormat(LineSource& source, std::span<const ReadTarget> targets,
                           AtEndOfInput atEnd = AtEndOfInput::Fail, const ValueNamer& names = {});

inline ReadOutcome readFreeFormat(LineSource& source, std::initializer_list<ReadTarget> targets,
                                  AtEndOfInput atEnd = AtEndOfInput::Fail, const ValueNamer& names = {}) {
  return readFreeFormat(source, std::span<const ReadTarget>(targets.begin(), targets.size()), atEnd, names);
}

// The first number of the line a read ended on that has a comma between two
// of its digits ("0,5", "120,000"), when the read left the rest of that line
// unread: the comma has most likely split a decimal number, or a number with
// thousands separators, into two values. Empty otherwise.
std::optional<std::string> numberSplitAtComma(const ReadOutcome& read);

// A namer that gives every variable of a read the same name and example.
ValueNamer namedAll(std::string what, std::string example = {});

// The first character of the next line; a blank for an empty line. `what`
// names the answer in the message when the input has ended.
char readCharacter(LineSource& source, const std::string& what = "an answer");

// The next line cut or padded with blanks to `width` columns.
std::string readFixedLine(LineSource& source, std::size_t width, const std::string& what = "a line");

// The next line as it stands.
std::string readWholeLine(LineSource& source, const std::string& what = "a line");

}  // namespace arribada::text
