#pragma once
// The report value lines of a field-data analysis: two blanks, the label,
// then the value right-aligned in a field of fixed width directly after it.
//
// Three fields are used:
// - fixed-point, 13 columns, d decimals: no digit before the point when the
//   integer part is zero (.500000, -.025000), 13 asterisks when too wide;
// - integer, 10 columns;
// - general, 13 columns, 4 significant digits: 0.1 <= |value| < 10000 (and
//   zero) in fixed point with 4 - n decimals (n integer digits) in the first
//   9 columns followed by 4 blanks, otherwise .ddddE+xx.
//
// Rounding is half up on the exact binary value of the float.

#include <cstdint>
#include <string>

#include "text/channels.hpp"

namespace arribada::fielddata {

inline constexpr int kFixedValueField = 13;
inline constexpr int kIntegerValueField = 10;
inline constexpr int kGeneralValueField = 13;

// `value` rounded to `decimals` places, right-aligned in `width` columns.
std::string fixedField(float value, int decimals, int width = kFixedValueField);

// `value` right-aligned in `width` columns; asterisks when it does not fit.
std::string integerField(std::int32_t value, int width = kIntegerValueField);

// `value` with 4 significant digits in the general form described above.
std::string generalField(float value);

// Writes "  " + label + field as one record of `sink`.
void writeValueLine(text::RecordSink& sink, const std::string& label, const std::string& field);

}  // namespace arribada::fielddata
