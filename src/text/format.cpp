#include "text/format.hpp"

#include <cmath>

#include "text/exact_decimal.hpp"

namespace arribada::text {
namespace {

constexpr int kSignificantDigits = 7;

std::string rightJustify(const std::string& text, int width) {
  if (static_cast<int>(text.size()) >= width) return text;
  return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

// Seven significant digits of |value| > 0, rounded half up on the exact
// value, and the decimal exponent of the first digit.
struct Decimal {
  std::string digits;  // exactly kSignificantDigits digits
  int exponent = 0;
};

Decimal roundedDecimal(float magnitude) {
  DecimalDigits d = exactDigits(magnitude);
  roundHalfUp(d, d.all.find_first_not_of('0') + kSignificantDigits);
  // A carry can move the first significant digit one place to the left.
  const std::size_t first = d.all.find_first_not_of('0');
  Decimal result;
  result.digits = d.all.substr(first, kSignificantDigits);
  result.exponent = static_cast<int>(d.point) - static_cast<int>(first) - 1;
  return result;
}

std::string fixedText(const Decimal& d) {
  // The value has exponent + 1 integer digits (1 to 8 after a carry).
  const auto integerDigits = static_cast<std::size_t>(d.exponent + 1);
  std::string all = d.digits;
  all.append(integerDigits + 6 > all.size() ? integerDigits + 6 - all.size() : 0, '0');
  return all.substr(0, integerDigits) + "." + all.substr(integerDigits, 6);
}

std::string exponentText(const Decimal& d) {
  return d.digits.substr(0, 1) + "." + d.digits.substr(1) + exponentSuffix(d.exponent);
}

}  // namespace

std::string formatInteger(std::int32_t value, int width) {
  return rightJustify(std::to_string(value), width);
}

std::string realText(float value) {
  if (!std::isfinite(value)) return nonFiniteText(value);
  if (value == 0.0f) return "0.000000E+00";
  const float magnitude = std::fabs(value);
  const Decimal d = roundedDecimal(magnitude);
  // The form is chosen on the value before rounding.
  const bool fixed = magnitude >= 1.0f && magnitude < 10000000.0f;
  const std::string text = fixed ? fixedText(d) : exponentText(d);
  if (value > 0) return text;
  std::string negative(1, '-');
  negative += text;
  return negative;
}

std::string formatReal(float value, int width) { return rightJustify(realText(value), width); }

std::vector<std::string> layoutRecords(const Items& items) {
  std::vector<std::string> records;
  std::string current = " ";
  int room = kLineRoom;
  bool previousWasNumber = false;

  auto placeNumber = [&](const std::string& field) {
    const int width = static_cast<int>(field.size());
    if (width < room) {
      current += field;
      room -= width;
    } else {
      records.push_back(current);
      current = field;
      room = kLineRoom - width;
    }
    previousWasNumber = true;
  };

  for (const Item& item : items) {
    if (const auto* text = std::get_if<std::string>(&item)) {
      std::string_view rest = *text;
      while (static_cast<int>(rest.size()) >= room) {
        current += rest.substr(0, static_cast<std::size_t>(room));
        rest.remove_prefix(static_cast<std::size_t>(room));
        records.push_back(current);
        current.assign(1, ' ');
        room = kLineRoom;
      }
      current += rest;
      room -= static_cast<int>(rest.size());
      previousWasNumber = false;
    } else if (const auto* integer = std::get_if<std::int32_t>(&item)) {
      placeNumber(formatInteger(*integer, kIntegerField + (previousWasNumber ? 1 : 0)));
    } else {
      placeNumber(formatReal(std::get<float>(item), kRealField + (previousWasNumber ? 1 : 0)));
    }
  }
  records.push_back(current);
  return records;
}

}  // namespace arribada::text
