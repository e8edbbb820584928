#include "fielddata/value_line.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace arribada::fielddata {
namespace {

constexpr int kGeneralDigits = 4;
constexpr int kGeneralFixedColumns = 9;  // the general form's fixed point, then 4 blanks
const std::string kGeneralTail(4, ' ');

// The decimal digits of a magnitude, the point standing after `point` of them.
struct Digits {
  std::string all;
  std::size_t point = 0;
};

// The exact expansion of a float: its binary fraction has at most 149
// places, so 150 decimals print every digit of it and nothing is rounded.
Digits exactDigits(float magnitude) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, "%.150f", static_cast<double>(magnitude));
  const std::string text(buffer);
  const std::size_t dot = text.find('.');
  return {text.substr(0, dot) + text.substr(dot + 1), dot};
}

// Keeps the first `keep` digits, rounded half up on the digit after them
// (that digit is 5 or more exactly when the rest is at least one half). A
// carry out of the first digit puts a 1 in front.
void roundHalfUp(Digits& d, std::size_t keep) {
  const bool up = keep < d.all.size() && d.all[keep] >= '5';
  d.all.resize(keep, '0');
  if (!up) return;
  std::size_t i = keep;
  while (i > 0 && d.all[i - 1] == '9') d.all[--i] = '0';
  if (i == 0) {
    d.all.insert(d.all.begin(), '1');
    ++d.point;
  } else {
    ++d.all[i - 1];
  }
}

// The integer digits without leading zeros: nothing at all for a zero part.
std::string integerDigits(const Digits& d) {
  std::string integer = d.all.substr(0, d.point);
  integer.erase(0, integer.find_first_not_of('0'));
  return integer;
}

std::string fit(const std::string& text, int width) {
  const auto w = static_cast<std::size_t>(width);
  if (text.size() > w) return std::string(w, '*');
  return std::string(w - text.size(), ' ') + text;
}

std::string nonFiniteText(float value) {
  if (std::isnan(value)) return "NaN";
  return value < 0 ? "-Infinity" : "Infinity";
}

}  // namespace

std::string fixedField(float value, int decimals, int width) {
  if (!std::isfinite(value)) return fit(nonFiniteText(value), width);
  Digits d = exactDigits(std::fabs(value));
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
  Digits d = exactDigits(std::fabs(value));
  roundHalfUp(d, d.all.find_first_not_of('0') + kGeneralDigits);
  const std::size_t first = d.all.find_first_not_of('0');
  // value = 0.dddd x 10^exponent
  const int exponent = static_cast<int>(d.point) - static_cast<int>(first);
  const std::string sign = value < 0 ? "-" : "";
  if (exponent >= 0 && exponent <= kGeneralDigits) {
    const std::string fraction = d.all.substr(d.point, static_cast<std::size_t>(kGeneralDigits - exponent));
    return fit(sign + integerDigits(d) + "." + fraction, kGeneralFixedColumns) + kGeneralTail;
  }
  char exponentText[16];
  std::snprintf(exponentText, sizeof exponentText, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return fit(sign + "." + d.all.substr(first, kGeneralDigits) + exponentText, kGeneralValueField);
}

void writeValueLine(text::RecordSink& sink, const std::string& label, const std::string& field) {
  sink.writeRecord("  " + label + field);
}

}  // namespace arribada::fielddata
