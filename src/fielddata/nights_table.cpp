#include "fielddata/nights_table.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace arribada::fielddata {
namespace {

// A figure of the table: one decimal, or "-" where it cannot be computed.
std::string figure(const std::optional<double>& value, int decimals = 1) {
  if (!value) return "-";
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, *value);
  return text;
}

std::string padded(const std::string& text, std::size_t width, bool right) {
  if (text.size() >= width) return text;
  const std::string blanks(width - text.size(), ' ');
  return right ? blanks + text : text + blanks;
}

// The columns of a row: the night, the file, then the figures.
std::vector<std::string> cells(const FieldRow& row, bool withMEANT) {
  std::vector<std::string> cells = {row.night > 0 ? std::to_string(row.night) : "total",
                                    row.night > 0 ? row.file : "",
                                    figure(row.uelasCounted, 0),
                                    figure(row.estimate),
                                    figure(row.se),
                                    figure(row.LCL),
                                    figure(row.UCL)};
  if (withMEANT) {
    const std::optional<double> se =
        row.varianceWithMEANT ? std::optional<double>(std::sqrt(*row.varianceWithMEANT)) : std::nullopt;
    cells.push_back(figure(se));
  }
  cells.push_back(figure(row.logLCL));
  cells.push_back(figure(row.logUCL));
  return cells;
}

}  // namespace

std::string nightsTable(const FieldAnalysis& analysis) {
  std::ostringstream out;
  const bool withMEANT = analysis.total.MEANT_SE.has_value();
  std::vector<std::string> headings = {"night", "file", "UELAs", "estimate", "SE", "lower", "upper"};
  if (withMEANT) headings.push_back("SE+MEANT");
  headings.insert(headings.end(), {"log lower", "log upper"});
  std::vector<std::vector<std::string>> rows;
  for (const FieldRow& night : analysis.nights) rows.push_back(cells(night, withMEANT));
  rows.push_back(cells(analysis.total, withMEANT));
  std::vector<std::size_t> widths;
  for (const std::string& heading : headings) widths.push_back(heading.size());
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  const auto line = [&](const std::vector<std::string>& row) {
    std::string text;
    for (std::size_t c = 0; c < row.size(); ++c) text += (c > 0 ? "  " : "") + padded(row[c], widths[c], c >= 2);
    out << text.substr(0, text.find_last_not_of(' ') + 1) << '\n';
  };
  const std::size_t n = analysis.nights.size();
  out << "Field survey: " << n << (n == 1 ? " night" : " nights") << "\n\n";
  line(headings);
  for (const auto& row : rows) line(row);
  out << "\nUELAs: every count added. estimate, SE, lower and upper (estimate - 2 SE, estimate + 2 SE):\n"
         "the field-data job's figures; the total adds the nights' estimates and variances.\n";
  if (withMEANT) {
    out << "SE+MEANT: the standard error with MEANT's (MEANT_SE = " << figure(analysis.total.MEANT_SE, 2)
        << " minutes), by the delta method;\nthe total's MEANT term is shared by the nights.\n"
           "log lower, log upper: log-normal limits from the variance with MEANT's term.\n";
  } else {
    out << "log lower, log upper: log-normal limits from the program's variance (no MEANT_SE given).\n";
  }
  return out.str();
}

}  // namespace arribada::fielddata
