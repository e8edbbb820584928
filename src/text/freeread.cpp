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

// One value as it stood in the input.
struct Token {
  bool quoted = false;
  bool null = false;  // "r*" with nothing after the star, or an empty pair of quotes
  std::string text;
};

class Scanner {
 public:
  explicit Scanner(LineSource& source) : source_(source) {}

  [[noreturn]] void fail(const std::string& problem) const {
    throw RunTimeError("read failed on " + source_.where() + ": " + problem);
  }

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

  std::int64_t parseRepeatCount(const std::string& prefix) const {
    std::int64_t count = 0;
    for (char c : prefix.substr(0, prefix.find('*'))) {
      count = count * 10 + (c - '0');
      if (count > std::numeric_limits<std::int32_t>::max()) fail("repeat count too large in " + shown(prefix));
    }
    if (count < 1) fail("repeat count below 1 in " + shown(prefix));
    return count;
  }

  Token scanQuoted() {
    Token token;
    token.quoted = true;
    const char quote = line_[pos_++];
    for (;;) {
      if (pos_ >= line_.size()) {
        // A quoted text may go on over a line end.
        if (!source_.next(line_)) fail("end of input inside a quoted text");
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
      fail("unexpected text after the quoted text " + shown(token.text));
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

std::int32_t parseInteger(const Scanner& scanner, const Token& token) {
  const std::string& t = token.text;
  if (token.quoted) scanner.fail("expected an integer, found the text " + shown(t));
  std::size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
  if (i == t.size()) scanner.fail(shown(t) + " is not a valid integer");
  std::int64_t value = 0;
  for (; i < t.size(); ++i) {
    if (!isDigit(t[i])) scanner.fail(shown(t) + " is not a valid integer");
    value = value * 10 + (t[i] - '0');
    if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) {
      scanner.fail(shown(t) + " is outside the integer range");
    }
  }
  if (t[0] == '-') value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) scanner.fail(shown(t) + " is outside the integer range");
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

// The float nearest to `text` (a number as normalisedReal gives it), or
// nothing when that is infinite, or zero for a number that is not: a value
// below the smallest subnormal counts as outside the range, one in the
// subnormal range is kept.
std::optional<float> nearestFloat(const std::string& text) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
  float value = 0.0f;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
#else
  // Where the library has no std::from_chars for reals (libc++ before it
  // had one, as on macOS up to 15): strtof rounds to nearest just the same.
  // It reads the decimal point of the C locale, which is the program's
  // locale, since the program never changes it.
  errno = 0;
  char* end = nullptr;
  const float value = std::strtof(text.c_str(), &end);
  const bool underOrOverflow = errno == ERANGE && (std::isinf(value) || value == 0.0f);
  if (underOrOverflow || end != text.c_str() + text.size()) return std::nullopt;
  return value;
#endif
}

float parseReal(const Scanner& scanner, const Token& token) {
  if (token.quoted) scanner.fail("expected a number, found the text " + shown(token.text));
  const auto text = normalisedReal(token.text);
  if (!text) scanner.fail(shown(token.text) + " is not a valid number");
  const auto value = nearestFloat(*text);
  if (!value) scanner.fail(shown(token.text) + " is outside the range of a real");
  return *value;
}

void assign(const Scanner& scanner, const Token& token, const ReadTarget& target) {
  if (const auto* text = std::get_if<TextTarget>(&target)) {
    if (!token.quoted) {
      scanner.fail("a text must stand between quotes, found " + shown(token.text));
    }
    if (token.null) return;
    std::string value = token.text.substr(0, text->length);
    value.resize(text->length, ' ');
    *text->value = std::move(value);
    return;
  }
  if (token.null) return;
  if (auto* const* integer = std::get_if<std::int32_t*>(&target)) {
    **integer = parseInteger(scanner, token);
  } else if (auto* const* real = std::get_if<float*>(&target)) {
    **real = parseReal(scanner, token);
  } else {
    const auto& bounded = std::get<BoundedIntegerTarget>(target);
    const std::int32_t value = parseInteger(scanner, token);
    if (value < bounded.min || value > bounded.max) {
      scanner.fail(std::string(bounded.what) + " " + std::to_string(value) + " is outside " +
                   std::to_string(bounded.min) + " to " + std::to_string(bounded.max));
    }
    *bounded.value = value;
  }
}

}  // namespace

ReadOutcome readFreeFormat(LineSource& source, std::span<const ReadTarget> targets, AtEndOfInput atEnd) {
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
      scanner.fail("end of input before all values were read");
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
    const Token token = scanner.scanValue();
    commaOpensNull = false;
    for (std::int64_t n = scanner.takeRepeatCount(); n > 0 && i < targets.size(); --n, ++i) {
      assign(scanner, token, targets[i]);
    }
  }
  return outcome;
}

char readCharacter(LineSource& source) {
  const std::string line = readWholeLine(source);
  return line.empty() ? ' ' : line[0];
}

std::string readFixedLine(LineSource& source, std::size_t width) {
  std::string line = readWholeLine(source);
  line.resize(width, ' ');
  return line;
}

std::string readWholeLine(LineSource& source) {
  std::string line;
  if (!source.next(line)) {
    throw RunTimeError("read failed on " + source.where() + ": end of input");
  }
  return line;
}

}  // namespace arribada::text
