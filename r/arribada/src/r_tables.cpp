#include "r_tables.h"

#include <variant>

namespace arribada::r {
namespace {

// The kind of a column: that of its first field that is not missing.
enum class Kind { real, integer, text, logical };

Kind kindOf(const api::Rows& rows, std::size_t column) {
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
SEXP column(const api::Rows& rows, std::size_t c, Vector out, auto missing) {
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
SEXP textColumn(const api::Rows& rows, std::size_t c) {
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

SEXP columnOf(const api::Rows& rows, std::size_t c) {
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

cpp11::writable::list columnsOf(const api::Rows& rows) {
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

namespace {

api::NamedValue namedValue(const std::string& name, SEXP value) {
  if (TYPEOF(value) == STRSXP) {
    const cpp11::strings texts(value);
    return {name, api::Texts(texts.begin(), texts.end())};
  }
  const cpp11::doubles numbers(cpp11::as_doubles(value));
  return {name, api::Numbers(numbers.begin(), numbers.end())};
}

}  // namespace

api::NamedValues namedValues(cpp11::list values) {
  api::NamedValues out;
  const cpp11::strings names(values.names());
  for (R_xlen_t i = 0; i < values.size(); ++i) {
    const std::string name(names[i]);
    if (TYPEOF(values[i]) == VECSXP) {
      for (SEXP element : cpp11::list(values[i])) out.push_back(namedValue(name, element));
    } else {
      out.push_back(namedValue(name, values[i]));
    }
  }
  return out;
}

void raiseWarnings(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) cpp11::warning("%s", line.c_str());
}

}  // namespace arribada::r
