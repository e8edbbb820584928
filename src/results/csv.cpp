#include "results/csv.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "results/files.hpp"
#include "text/errors.hpp"

// std::to_chars for floats: libstdc++ 11 and later announce it; libc++ has
// it from version 14, but Apple's marks it unavailable on older systems.
#if defined(__cpp_lib_to_chars) || (defined(_LIBCPP_VERSION) && _LIBCPP_VERSION >= 14000 && !defined(__APPLE__))
#define ARRIBADA_FLOAT_TO_CHARS 1
#endif

namespace arribada::results {
namespace {

constexpr const char* kLineEnd = "\r\n";

std::string headerLine(const std::vector<std::string>& columns) {
  std::string header;
  for (const std::string& column : columns) header += (header.empty() ? "" : ",") + column;
  return header;
}

std::vector<std::string> columnsOf(const NamedRow& row) {
  std::vector<std::string> columns;
  for (const NamedField& field : row) columns.push_back(field.column);
  return columns;
}

CsvRow valuesOf(const NamedRow& row) {
  CsvRow values;
  for (const NamedField& field : row) values.push_back(field.value);
  return values;
}

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

// A real always shows a point or an exponent, so that R reads its column as
// reals: a column read as integers would overflow in R's sums and products.
std::string realField(float value) {
  std::string text = shortestReal(value);
  if (text.find_first_of(".e") == std::string::npos) text += ".0";
  return text;
}

std::string fieldText(const CsvField& field) {
  struct Visitor {
    std::string operator()(Missing) const { return {}; }
    std::string operator()(const std::string& text) const { return quoted(text); }
    std::string operator()(std::int32_t value) const { return std::to_string(value); }
    std::string operator()(float value) const { return std::isfinite(value) ? realField(value) : std::string(); }
    std::string operator()(bool value) const { return value ? "TRUE" : "FALSE"; }
  };
  return std::visit(Visitor{}, field);
}

}  // namespace

std::string shortestReal(float value) {
#ifdef ARRIBADA_FLOAT_TO_CHARS
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
#else
  // The fewest significant digits, 6 to 9, that read back as the value (9
  // always do); the decimal mark of any locale becomes a point.
  std::string text;
  for (int digits = 6; digits <= 9; ++digits) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, static_cast<double>(value));
    text = buffer;
    if (std::strtof(buffer, nullptr) == value) break;
  }
  for (char& c : text) {
    if (c == ',') c = '.';
  }
  return text;
#endif
}

std::string csvLine(const CsvRow& row) {
  std::string line;
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (i > 0) line += ',';
    line += fieldText(row[i]);
  }
  return line;
}

CsvFile::CsvFile(const std::string& name, const std::vector<std::string>& columns)
    : name_(name), columns_(columns.size()), file_(openNewFile(name), &std::fclose) {
  writeLine(headerLine(columns));
}

void CsvFile::write(const CsvRow& row) {
  // A row of another width would shift every later column in R.
  if (row.size() != columns_) throw std::logic_error("row of " + std::to_string(row.size()) + " fields in " + name_);
  writeLine(csvLine(row));
}

void CsvFile::writeLine(const std::string& line) { writeWhole(file_.get(), name_, line + kLineEnd); }

void writeRow(std::unique_ptr<CsvFile>& table, const std::string& name, const NamedRow& row) {
  if (!table) table = std::make_unique<CsvFile>(name, columnsOf(row));
  table->write(valuesOf(row));
}

std::string csvText(const std::vector<NamedRow>& rows) {
  if (rows.empty()) return {};
  std::string text = headerLine(columnsOf(rows.front())) + kLineEnd;
  for (const NamedRow& row : rows) text += csvLine(valuesOf(row)) + kLineEnd;
  return text;
}

}  // namespace arribada::results
