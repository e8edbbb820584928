#include "r_tables.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <variant>

namespace arribada::r {
namespace {

// The kind of a column: that of its first field that is not missing.
enum class Kind { real, integer, text, logical };

Kind kindOf(const std::vector<results::NamedRow>& rows, std::size_t column) {
  // A column with a text anywhere is a column of texts (a night's number beside "total").
  for (const results::NamedRow& row : rows) {
    if (std::holds_alternative<std::string>(row[column].value)) return Kind::text;
  }
  for (const results::NamedRow& row : rows) {
    const results::CsvField& field = row[column].value;
    if (std::holds_alternative<std::int32_t>(field)) return Kind::integer;
    if (std::holds_alternative<std::string>(field)) return Kind::text;
    if (std::holds_alternative<bool>(field)) return Kind::logical;
    if (std::holds_alternative<float>(field)) return Kind::real;
  }
  return Kind::real;
}

template <typename Value, typename Vector>
SEXP column(const std::vector<results::NamedRow>& rows, std::size_t c, Vector out, auto missing) {
  for (const results::NamedRow& row : rows) {
    const auto* value = std::get_if<Value>(&row[c].value);
    if (value != nullptr) {
      out.push_back(*value);
    } else {
      out.push_back(missing);
    }
  }
  return out;
}

// Texts, and whole numbers written as the CSV writes them.
SEXP textColumn(const std::vector<results::NamedRow>& rows, std::size_t c) {
  cpp11::writable::strings out;
  for (const results::NamedRow& row : rows) {
    const results::CsvField& field = row[c].value;
    if (const auto* text = std::get_if<std::string>(&field)) {
      out.push_back(*text);
    } else if (const auto* whole = std::get_if<std::int32_t>(&field)) {
      out.push_back(std::to_string(*whole));
    } else {
      out.push_back(NA_STRING);
    }
  }
  return out;
}

SEXP columnOf(const std::vector<results::NamedRow>& rows, std::size_t c) {
  switch (kindOf(rows, c)) {
    case Kind::integer:
      return column<std::int32_t>(rows, c, cpp11::writable::integers(), NA_INTEGER);
    case Kind::text:
      return textColumn(rows, c);
    case Kind::logical:
      return column<bool>(rows, c, cpp11::writable::logicals(), cpp11::na<cpp11::r_bool>());
    case Kind::real:
      break;
  }
  return column<float>(rows, c, cpp11::writable::doubles(), NA_REAL);
}

}  // namespace

cpp11::writable::list columnsOf(const std::vector<results::NamedRow>& rows) {
  const std::size_t columns = rows.empty() ? 0 : rows.front().size();
  cpp11::writable::list out(static_cast<R_xlen_t>(columns));
  cpp11::writable::strings names(static_cast<R_xlen_t>(columns));
  for (std::size_t c = 0; c < columns; ++c) {
    out[static_cast<R_xlen_t>(c)] = columnOf(rows, c);
    names[static_cast<R_xlen_t>(c)] = rows.front()[c].column;
  }
  out.names() = names;
  return out;
}

void CollectedWarnings::raise() const {
  std::istringstream lines(text_.str());
  std::string line;
  while (std::getline(lines, line)) {
    constexpr std::string_view kPrefix = "arribada: warning: ";  // the program's, which R's warning() replaces
    if (line.starts_with(kPrefix)) line.erase(0, kPrefix.size());
    if (!line.empty()) cpp11::warning("%s", line.c_str());
  }
}

std::string decimal(double value) {
  char buffer[64];
  const bool whole = value == std::trunc(value) && std::fabs(value) < 1e15;
  const auto [end, error] = whole ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value))
                                  : std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}

engine::InstructionSet instructionSetNamed(const std::string& name) {
  if (name.empty()) return engine::bestInstructionSet();
  for (engine::InstructionSet set : engine::runnableInstructionSets()) {
    if (name == engine::nameOf(set)) return set;
  }
  cpp11::stop("the instruction set '%s' is not one this processor and build run", name.c_str());
}

}  // namespace arribada::r
