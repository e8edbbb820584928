#pragma once
// Tables as R's read.csv and spreadsheets read them: a header row, commas
// between fields, a point as the decimal mark whatever the locale, texts
// between double quotes (a quote inside doubled), TRUE or FALSE, and an
// empty field for a value that does not exist. Rows end with CR LF.
//
// A real is written with the fewest digits that read back as the same 32-bit
// value, so every value the report prints can be recovered from the table,
// and always with a point or an exponent (480.0), so that R reads the column
// as reals.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace arribada::results {

// An empty field: a value that cannot be computed (R reads it as NA).
struct Missing {};

using CsvField = std::variant<Missing, std::string, std::int32_t, float, bool>;
using CsvRow = std::vector<CsvField>;

// A field beside its column's name: a row built of these names every column
// once, next to its value.
struct NamedField {
  std::string column;
  CsvField value;
};
using NamedRow = std::vector<NamedField>;

// The shortest decimal text that reads back as exactly `value`; a value that
// is not finite is written as an empty field by csvLine.
std::string shortestReal(float value);

// One row as text, without its line end.
std::string csvLine(const CsvRow& row);

// A table file, created new. Each row is handed to the system in one write
// and flushed, so a run that ends early leaves whole rows only.
class CsvFile {
 public:
  // Creates the file and writes the header row; a RunTimeError when it
  // exists or cannot be created.
  CsvFile(const std::string& name, const std::vector<std::string>& columns);
  void write(const CsvRow& row);

 private:
  void writeLine(const std::string& line);

  std::string name_;
  std::size_t columns_;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
};

// The text of a whole table: the header row of the first row's column
// names, then every row, each line ending as a CsvFile's do. No rows, no text.
std::string csvText(const std::vector<NamedRow>& rows);

// Writes `row` to `table`, first creating the table named `name` with the
// row's column names when it is not open yet.
void writeRow(std::unique_ptr<CsvFile>& table, const std::string& name, const NamedRow& row);

}  // namespace arribada::results
