#include "fielddata/spreadsheet_text.hpp"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "text/utf8.hpp"

namespace arribada::fielddata {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Windows-1252's characters for the bytes 0x80 to 0x9F; the five bytes it
// leaves undefined keep their own code points, as Windows reads them.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string fromWindows1252(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 8);
  for (const char c : s) {
    const auto byte = static_cast<std::uint8_t>(c);
    text::appendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : char32_t{byte});
  }
  return out;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string decodeSpreadsheetText(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    throw std::invalid_argument(
        "it is saved as UTF-16 (\"Unicode text\"); save it from the spreadsheet as \"CSV UTF-8\" or \"CSV\"");
  }
  if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
  return text::isUtf8(bytes) ? std::string(bytes) : fromWindows1252(bytes);
}

std::vector<std::string> textLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

CellSplit splitCells(const std::string& line, char separator) {
  CellSplit split;
  std::string cell;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c != '"') {
        cell += c;
      } else if (i + 1 < line.size() && line[i + 1] == '"') {
        cell += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == separator) {
      split.cells.push_back(std::move(cell));
      cell.clear();
    } else {
      cell += c;
    }
  }
  if (quoted) split.unclosedQuote = split.cells.size();
  split.cells.push_back(std::move(cell));
  return split;
}

std::string trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

bool blankLine(const std::string& line) { return line.find_first_not_of(" \t,;\"") == std::string::npos; }

namespace {

// The cell's number in the C locale's form (a point as the mark), when it
// is one; strtod and strtof read that form, and the program never changes
// the C locale.
std::optional<std::string> numberText(std::string_view cell, char decimalMark) {
  std::string text = trimmed(cell);
  const char otherMark = decimalMark == ',' ? '.' : ',';
  if (text.empty() || text.find(otherMark) != std::string::npos) return std::nullopt;
  for (char& c : text) {
    if (c == decimalMark) c = '.';
  }
  if (text.find_first_not_of("0123456789.+-eE") != std::string::npos) return std::nullopt;
  return text;
}

template <typename Real>
std::optional<Real> readNumber(std::string_view cell, char decimalMark, Real (*convert)(const char*, char**)) {
  const std::optional<std::string> text = numberText(cell, decimalMark);
  if (!text) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const Real value = convert(text->c_str(), &end);
  if (end != text->c_str() + text->size() || errno == ERANGE || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

std::optional<double> cellNumber(std::string_view cell, char decimalMark) {
  return readNumber<double>(cell, decimalMark, &std::strtod);
}

std::optional<float> cellReal(std::string_view cell, char decimalMark) {
  return readNumber<float>(cell, decimalMark, &std::strtof);
}

}  // namespace arribada::fielddata
