#include "text/freeread.hpp"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <version>

#include "text/errors.hpp"

namespace arribada::text {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isSeparator(char c) { return isBlank(c) || c == ',' || c == '/'; }
bool isQuote(char c) { return c == '\'' || c == '"'; }
bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

std::string shown(const std::string& text) {
  constexpr std::size_t kLongest = 40;
  std::string out;
  for (char c : text.substr(0, kLongest)) {
    const auto u = static_cast<unsigned char>(c);
    out += (u < 32 || u >= 127) ? '?' : c;
  }
  if (text.size() > kLongest) out += "...";
  return "\"" + out + "\"";
}

// What a value failed to be, and the text that was found instead; the read
// that catches it names the value and its place.
struct BadValue {
  std::string expected;
  std::string found;
};

// One value as it stood in the input.
struct Token {
  bool quoted = false;
  bool null = false;  // "r*" with nothing after the star, or an empty pair of quotes
  std::string text;
};

class Scanner {
 public:
  explicit Scanner(LineSource& source) : source_(source) {}

  // Moves to the next character that is not a blank, reading further lines as
  // needed. False at the end of input.
  bool skipBlanks() {
    for (;;) {
      if (!haveLine_) {
        if (!source_.next(line_)) return false;
        pos_ = 0;
        haveLine_ = true;
      }
      while (pos_ < line_.size() && isBlank(line_[pos_])) ++pos_;
      if (pos_ < line_.size()) return true;
      haveLine_ = false;
    }
  }

  char peek() const { return line_[pos_]; }
  // The current line and the position in it, for the read's outcome.
  void tellPlace(ReadOutcome& outcome) const {
    outcome.lastLine = haveLine_ ? line_ : std::string();
    outcome.restAt = haveLine_ ? pos_ : 0;
  }
  void advance() { ++pos_; }

  Token scanValue() {
    std::string prefix;
    while (pos_ < line_.size() && !isSeparator(line_[pos_]) &&
           !(isQuote(line_[pos_]) && (prefix.empty() || isRepeatPrefix(prefix)))) {
      prefix += line_[pos_++];
    }
    Token token;
    if (prefix.empty()) return scanQuoted();  // a quote opens the value
    if (!isRepeatPrefix(prefix)) {
      token.text = prefix;
      return token;
    }
    repeatCount_ = parseRepeatCount(prefix);
    if (pos_ < line_.size() && isQuote(line_[pos_])) return scanQuoted();
    token.text = prefix.substr(prefix.find('*') + 1);
    token.null = token.text.empty();
    return token;
  }

  // The repeat count of the last value scanned, 1 when it had none.
  std::int64_t takeRepeatCount() {
    const std::int64_t count = repeatCount_;
    repeatCount_ = 1;
    return count;
  }

 private:
  static bool isRepeatPrefix(const std::string& text) {
    const auto star = text.find('*');
    if (star == std::string::npos || star == 0) return false;
    for (std::size_t i = 0; i < star; ++i) {
      if (!isDigit(text[i])) return false;
    }
    return true;
  }

  static std::int64_t parseRepeatCount(const std::string& prefix) {
    const char* expected = "a repeat count r*v with r a whole number from 1 to 2147483647, such as 3*0";
    std::int64_t count = 0;
    for (char c : prefix.substr(0, prefix.find('*'))) {
      count = count * 10 + (c - '0');
      if (count > std::numeric_limits<std::int32_t>::max()) throw BadValue{expected, shown(prefix)};
    }
    if (count < 1) throw BadValue{expected, shown(prefix)};
    return count;
  }

  Token scanQuoted() {
    Token token;
    token.quoted = true;
    const char quote = line_[pos_++];
    for (;;) {
      if (pos_ >= line_.size()) {
        // A quoted text may go on over a line end.
        if (!source_.next(line_)) {
          throw BadValue{std::string("a closing ") + quote, "the end of the input inside " + shown(token.text)};
        }
        pos_ = 0;
        continue;
      }
      const char c = line_[pos_++];
      if (c != quote) {
        token.text += c;
      } else if (pos_ < line_.size() && line_[pos_] == quote) {
        token.text += quote;
        ++pos_;
      } else {
        break;
      }
    }
    if (pos_ < line_.size() && !isSeparator(line_[pos_])) {
      throw BadValue{"a blank or a comma after the closing quote", shown(line_.substr(pos_))};
    }
    token.null = token.text.empty();
    return token;
  }

  LineSource& source_;
  std::string line_;
  std::size_t pos_ = 0;
  bool haveLine_ = false;
  std::int64_t repeatCount_ = 1;
};

std::string wholeNumber(const std::string& example) { return "a whole number such as " + example; }

std::int32_t parseInteger(const Token& token, const std::string& example) {
  const std::string& t = token.text;
  if (token.quoted) throw BadValue{wholeNumber(example) + " without quotes", "the text " + shown(t)};
  std::size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
  if (i == t.size()) throw BadValue{wholeNumber(example), shown(t)};
  const BadValue tooLarge{"a whole number from -2147483648 to 2147483647, such as " + example, shown(t)};
  std::int64_t value = 0;
  for (; i < t.size(); ++i) {
    if (!isDigit(t[i])) throw BadValue{wholeNumber(example), shown(t)};
    value = value * 10 + (t[i] - '0');
    if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) throw tooLarge;
  }
  if (t[0] == '-') value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) throw tooLarge;
  return static_cast<std::int32_t>(value);
}

// Accepts [sign] digits [. digits] or [sign] . digits, with an optional
// exponent E, e, D or d followed by [sign] digits.
std::optional<std::string> normalisedReal(const std::string& t) {
  std::string out;
  std::size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
    if (t[i] == '-') out += '-';
    ++i;
  }
  std::size_t digits = 0;
  while (i < t.size() && isDigit(t[i])) out += t[i++], ++digits;
  if (i < t.size() && t[i] == '.') {
    out += t[i++];
    while (i < t.size() && isDigit(t[i])) out += t[i++], ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < t.size() && std::string_view("EeDd").find(t[i]) != std::string_view::npos) {
    out += 'e';
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) out += t[i++];
    std::size_t exponentDigits = 0;
    while (i < t.size() && isDigit(t[i])) out += t[i++], ++exponentDigits;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != t.size()) return std::nullopt;
  return out;
}

// The float nearest to the number `text` (as normalisedReal gives it, so
// strtof reads all of it in the "C" locale, which the program never
// changes), or nothing when that is beyond the largest real. A real too small
// for 32 bits is that value rounded: 0 or the nearest subnormal, with its sign.
std::optional<float> nearestByStrtof(const std::string& text) {
  char* end = nullptr;
  const float value = std::strtof(text.c_str(), &end);
  if (std::isinf(value) || end != text.c_str() + text.size()) return std::nullopt;
  return value;
}

std::optional<float> nearestFloat(const std::string& text) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
  float value = 0.0f;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) return nearestByStrtof(text);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
#else
  // Where the library has no std::from_chars for reals (libc++ before it
  // had one, as on macOS up to 15): strtof rounds to nearest just the same.
  return nearestByStrtof(text);
#endif
}

float parseReal(const Token& token, const std::string& example) {
  const std::string expected = "a number such as " + example;
  if (token.quoted) throw BadValue{expected + " without quotes", "the text " + shown(token.text)};
  const auto text = normalisedReal(token.text);
  if (!text) throw BadValue{expected, shown(token.text)};
  const auto value = nearestFloat(*text);
  if (!value) {
    throw BadValue{"a number within the range of a real (at most about 3.4E+38 in size), such as " + example,
                   shown(token.text)};
  }
  return *value;
}

std::string defaultExample(const ReadTarget& target) {
  if (std::holds_alternative<TextTarget>(target)) return "'survey.dat'";
  if (std::holds_alternative<float*>(target)) return "2.5";
  return "10";
}

void assign(const Token& token, const ReadTarget& target, const std::string& example) {
  // A null value leaves any variable as it was, a text too ("3*" before a text).
  if (token.null) return;
  if (const auto* text = std::get_if<TextTarget>(&target)) {
    if (!token.quoted) throw BadValue{"a text between quotes, such as " + example, shown(token.text)};
    std::string value = token.text.substr(0, text->length);
    if (text->length != kWholeText) value.resize(text->length, ' ');
    *text->value = std::move(value);
    return;
  }
  if (auto* const* integer = std::get_if<std::int32_t*>(&target)) {
    **integer = parseInteger(token, example);
  } else if (auto* const* real = std::get_if<float*>(&target)) {
    **real = parseReal(token, example);
  } else {
    const auto& bounded = std::get<BoundedIntegerTarget>(target);
    const std::int32_t value = parseInteger(token, example);
    if (value < bounded.min || value > bounded.max) {
      throw BadValue{"a whole number from " + std::to_string(bounded.min) + " to " + std::to_string(bounded.max),
                     shown(token.text)};
    }
    *bounded.value = value;
  }
}

ValueName nameOf(const ValueNamer& names, std::size_t index, const ReadTarget& target) {
  ValueName name = names ? names(index) : ValueName{"a value", {}};
  if (name.example.empty()) name.example = defaultExample(target);
  return name;
}

}  // namespace

ReadOutcome readFreeFormat(LineSource& source, std::span<const ReadTarget> targets, AtEndOfInput atEnd,
                           const ValueNamer& names) {
  Scanner scanner(source);
  ReadOutcome outcome;
  bool commaOpensNull = true;  // at the start of the read, or right after a comma
  std::size_t& i = outcome.processed;
  while (i < targets.size()) {
    if (!scanner.skipBlanks()) {
      if (atEnd == AtEndOfInput::EndRead) {
        outcome.endedByEndOfInput = true;
        return outcome;
      }
      throw RunTimeError("end of input before " + nameOf(names, i, targets[i]).what + ": " + source.endedHere());
    }
    const char c = scanner.peek();
    if (c == ',') {
      scanner.advance();
      if (commaOpensNull) ++i;  // nothing between two commas: the variable keeps its value
      commaOpensNull = true;
      continue;
    }
    if (c == '/') {
      outcome.endedBySlash = true;
      return outcome;
    }
    try {
      const Token token = scanner.scanValue();
      commaOpensNull = false;
      for (std::int64_t n = scanner.takeRepeatCount(); n > 0 && i < targets.size(); --n, ++i) {
        assign(token, targets[i], nameOf(names, i, targets[i]).example);
      }
    } catch (const BadValue& bad) {
      throw RunTimeError(source.placeOf(nameOf(names, i, targets[i]).what) + ": expected " + bad.expected + ", found " +
                         bad.found);
    }
  }
  scanner.tellPlace(outcome);
  return outcome;
}

std::optional<std::string> numberSplitAtComma(const ReadOutcome& read) {
  const std::string& line = read.lastLine;
  if (line.find_first_not_of(" \t", read.restAt) == std::string::npos) return std::nullopt;
  const auto digitAt = [&line](std::size_t at) { return at < line.size() && isDigit(line[at]); };
  const auto commaInNumber = [&](std::size_t at) { return line[at] == ',' && at > 0 && digitAt(at - 1) && digitAt(at + 1); };
  for (std::size_t i = 1; i + 1 < line.size(); ++i) {
    if (!commaInNumber(i)) continue;
    std::size_t from = i;
    while (from > 0 && (digitAt(from - 1) || line[from - 1] == '.')) --from;
    std::size_t to = i + 1;
    while (digitAt(to) || (to < line.size() && commaInNumber(to))) ++to;
    return line.substr(from, to - from);
  }
  return std::nullopt;
}

ValueNamer namedAll(std::string what, std::string example) {
  return [what = std::move(what), example = std::move(example)](std::size_t) { return ValueName{what, example}; };
}

char readCharacter(LineSource& source, const std::string& what) {
  const std::string line = readWholeLine(source, what);
  return line.empty() ? ' ' : line[0];
}

std::string readFixedLine(LineSource& source, std::size_t width, const std::string& what) {
  std::string line = readWholeLine(source, what);
  line.resize(width, ' ');
  return line;
}

std::string readWholeLine(LineSource& source, const std::string& what) {
  std::string line;
  if (!source.next(line)) throw RunTimeError("end of input before " + what + ": " + source.endedHere());
  return line;
}

}  // namespace arribada::text
