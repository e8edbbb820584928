#pragma once
// The text of a table as spreadsheets save it: the bytes decoded, the lines
// split, the cells of a line cut at the separator, and numbers read with the
// decimal mark that goes with the separator.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace arribada::fielddata {

// `bytes` as UTF-8 text: a UTF-8 byte-order mark is skipped, valid UTF-8 is
// kept as it is, and anything else is read as Windows-1252 (the "CSV" of
// spreadsheets on Windows), which gives every byte a character. Throws
// std::invalid_argument for UTF-16, which is told by its byte-order mark.
std::string decodeSpreadsheetText(std::string_view bytes);

// The lines of `text`, each without its line end (LF or CR LF).
std::vector<std::string> textLines(const std::string& text);

// The cells of a line: cut at `separator` outside double quotes; a quoted
// cell loses its quotes and a doubled quote inside it stands for one.
struct CellSplit {
  std::vector<std::string> cells;
  std::optional<std::size_t> unclosedQuote;  // the 0-based cell whose quote is not closed on its line
};
CellSplit splitCells(const std::string& line, char separator);

// `text` without blanks or tabs at either end.
std::string trimmed(std::string_view text);

// Whether a line holds nothing but separators and blanks.
bool blankLine(const std::string& line);

// A number in a cell, blanks around it allowed: digits with at most one
// `decimalMark`, an optional sign and exponent. None for anything else,
// among them a number written with the other mark.
std::optional<double> cellNumber(std::string_view cell, char decimalMark);
// The same read as the nearest float, with one rounding (as the field-data file's reals are read).
std::optional<float> cellReal(std::string_view cell, char decimalMark);

}  // namespace arribada::fielddata
