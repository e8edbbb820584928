#include "fielddata/value_line.hpp"

#include <cmath>

#include "text/exact_decimal.hpp"

namespace arribada::fielddata {
namespace {

constexpr int kGeneralDigits = 4;
constexpr int kGeneralFixedColumns = 9;  // the general form's fixed point, then 4 blanks
const std::string kGeneralTail(4, ' ');

using text::DecimalDigits;
using text::exactDigits;
using text::nonFiniteText;
using text::roundHalfUp;

// The integer digits without leading zeros: nothing at all for a zero part.
std::string integerDigits(const DecimalDigits& d) {
  std::string integer = d.all.substr(0, d.point);
  integer.erase(0, integer.find_first_not_of('0'));
  return integer;
}

std::string fit(const std::string& text, int width) {
  const auto w = static_cast<std::size_t>(width);
  if (text.size() > w) return std::string(w, '*');
  return std::string(w - text.size(), ' ') + text;
}

}  // namespace

std::string fixedField(float value, int decimals, int width) {
  if (!std::isfinite(value)) return fit(nonFiniteText(value), width);
  DecimalDigits d = exactDigits(std::fabs(value));
  roundHalfUp(d, d.point + static_cast<std::size_t>(decimals));
  const std::string fraction = d.all.substr(d.point);
  // A value that rounds to zero prints without a sign: -0.00001 with four
  // decimals is .0000, not -.0000.
  const bool roundsToZero = d.all.find_first_not_of('0') == std::string::npos;
  const std::string sign = value < 0 && !roundsToZero ? "-" : "";
  return fit(sign + integerDigits(d) + "." + fraction, width);
}

std::string integerField(std::int32_t value, int width) { return fit(std::to_string(value), width); }

// The choice between the two forms is made on the value rounded to four
// significant digits: 9999.6 rounds to 10000 and prints as .1000E+05, and
// 0.099996 rounds to 0.1000 and prints as .1000 in fixed point. Nearer
// values keep their own form (9999.4 is 9999., 0.09999 is .9999E-01).
std::string generalField(float value) {
  if (!std::isfinite(value)) return fit(nonFiniteText(value), kGeneralValueField);
  if (value == 0.0f) return fit(".0000", kGeneralFixedColumns) + kGeneralTail;
  DecimalDigits d = exactDigits(std::fabs(value));
  roundHalfUp(d, d.all.find_first_not_of('0') + kGeneralDigits);
  const std::size_t first = d.all.find_first_not_of('0');
  // value = 0.dddd x 10^exponent
  const int exponent = static_cast<int>(d.point) - static_cast<int>(first);
  const std::string sign = value < 0 ? "-" : "";
  if (exponent >= 0 && exponent <= kGeneralDigits) {
    const std::string fraction = d.all.substr(d.point, static_cast<std::size_t>(kGeneralDigits - exponent));
    return fit(sign + integerDigits(d) + "." + fraction, kGeneralFixedColumns) + kGeneralTail;
  }
  return fit(sign + "." + d.all.substr(first, kGeneralDigits) + text::exponentSuffix(exponent), kGeneralValueField);
}

void writeValueLine(text::RecordSink& sink, const std::string& label, const std::string& field) {
  sink.writeRecord("  " + label + field);
}

}  // namespace arribada::fielddata
