#pragma once
// Exact decimal rounding of a float, shared by every printed real: the
// free-format layout and the field-data value lines. A float's binary
// expansion is a finite decimal, so its digits are written out in full and
// the rounding is decided on the true value, never on a value already
// rounded once by the C library.

#include <cstddef>
#include <string>

namespace arribada::text {

// The decimal digits of a magnitude, the point standing after `point` of them.
struct DecimalDigits {
  std::string all;
  std::size_t point = 0;
};

// Every digit of a finite magnitude >= 0: the integer digits (at least one,
// a zero part is "0") and 150 decimals, which hold a float's binary fraction
// of at most 149 places exactly (and a sum of a few floats' to far more
// places than any rounding here looks at).
DecimalDigits exactDigits(double magnitude);

// `value` rounded half up to `decimals` places as a plain decimal: "-12.5",
// "0.3" (the leading zero kept, no sign on a value that rounds to zero).
std::string roundedDecimal(double value, int decimals);

// Keeps the first `keep` digits, rounded half up on the digit after them
// (that digit is 5 or more exactly when the rest is at least one half). A
// carry out of the first digit puts a 1 in front and moves the point.
void roundHalfUp(DecimalDigits& d, std::size_t keep);

// The exponent part of a number in exponent form: E, the sign, at least two digits (E+05, E-12, E+38).
std::string exponentSuffix(int exponent);

// How every printed real that is not finite reads: NaN, Infinity, -Infinity.
std::string nonFiniteText(float value);

}  // namespace arribada::text
