#pragma once
// Free-format output: the default layout of every console and report line.
//
// A line is built from texts, integers and reals. It begins with one blank
// (the carriage-control character, not shown on the screen); integers take a
// field of 11 columns and reals 15, one more when the item before was also a
// number; items that do not fit in the 79 columns left start a new line.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace arribada::text {

using Item = std::variant<std::string, std::int32_t, float>;
using Items = std::vector<Item>;

inline constexpr int kIntegerField = 11;
inline constexpr int kRealField = 15;
inline constexpr int kLineRoom = 79;

// The decimal text of an integer, right-justified in `width` columns.
std::string formatInteger(std::int32_t value, int width = kIntegerField);

// The text of a real without padding: fixed form with six decimals for
// 1 <= |value| < 10 000 000, otherwise d.ddddddE+xx; 7 significant digits
// rounded half up on the value's exact binary expansion.
std::string realText(float value);

// realText right-justified in `width` columns.
std::string formatReal(float value, int width = kRealField);

// Lays out one output statement as records. Each record starts with its
// carriage-control character (a blank, or the first column of a number that
// was carried over to a new record). A statement with no items gives one
// record holding a single blank.
std::vector<std::string> layoutRecords(const Items& items);

}  // namespace arribada::text
