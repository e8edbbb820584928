#include "text/exact_decimal.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace arribada::text {

DecimalDigits exactDigits(double magnitude) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%.150f", magnitude);
  const std::string text(buffer);
  const std::size_t dot = text.find('.');
  return {text.substr(0, dot) + text.substr(dot + 1), dot};
}

void roundHalfUp(DecimalDigits& d, std::size_t keep) {
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

std::string roundedDecimal(double value, int decimals) {
  DecimalDigits d = exactDigits(std::fabs(value));
  roundHalfUp(d, d.point + static_cast<std::size_t>(decimals));
  const bool zero = d.all.find_first_not_of('0') == std::string::npos;
  std::string text(value < 0 && !zero ? "-" : "");
  text.append(d.all, 0, d.point);
  if (decimals > 0) text.append(1, '.').append(d.all, d.point, std::string::npos);
  return text;
}

std::string exponentSuffix(int exponent) {
  char text[16];
  std::snprintf(text, sizeof text, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return text;
}

std::string nonFiniteText(float value) {
  if (std::isnan(value)) return "NaN";
  return value < 0 ? "-Infinity" : "Infinity";
}

}  // namespace arribada::text
