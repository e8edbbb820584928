#include "fielddata/nights_table.hpp"

#include <algorithm>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "text/exact_decimal.hpp"

namespace arribada::fielddata {
namespace {

// A figure of the table, rounded as the report rounds (half up on the exact
// value), or "-" where it cannot be computed.
std::string figure(const std::optional<double>& value, int decimals = 1) {
  if (!value) return "-";
  return text::roundedDecimal(*value, decimals);
}

// A coefficient of variation in percent.
std::string percent(const std::optional<double>& cv) {
  return figure(cv ? std::optional<double>(*cv * 100.0) : std::nullopt);
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
                                    percent(row.cv),
                                    figure(row.LCL),
                                    figure(row.UCL)};
  if (withMEANT) {
    cells.insert(cells.end(), {figure(row.seWithMEANT), percent(row.cvWithMEANT), figure(row.LCLWithMEANT),
                               figure(row.UCLWithMEANT)});
  }
  cells.push_back(figure(row.logLCL));
  cells.push_back(figure(row.logUCL));
  return cells;
}

std::vector<std::string> headings(bool withMEANT) {
  std::vector<std::string> headings = {"night", "file", "UELAs", "estimate", "SE", "CV %", "lower", "upper"};
  if (withMEANT) headings.insert(headings.end(), {"SE+MEANT", "CV+MEANT %", "lower+MEANT", "upper+MEANT"});
  headings.insert(headings.end(), {"log lower", "log upper"});
  return headings;
}

// Why a night has no limits, in the words a team can act on; empty when it has them.
std::string whyNoLimits(const FieldRow& row) {
  if (!row.header || row.LCL) return "";
  const FieldHeader& h = *row.header;
  if (h.NTR * h.NT1 == 1) return "one count, so no estimate and no variance (as the field-data job says)";
  if (h.NTR == 1) {
    return "one transect, so no variance: the variance is measured between the transects counted at each "
           "sampling time; count two transects or more for limits";
  }
  return "the variance with these weights comes out negative, so there are no limits (check the weights)";
}

void printLegend(const FieldAnalysis& analysis, bool withMEANT, std::ostream& out) {
  out << "\nUELAs: every count added. estimate, SE, CV, lower and upper (estimate - 2 SE, estimate + 2 SE):\n"
         "the field-data job's figures, from the sampling of the counts only; the total adds the nights'\n"
         "estimates and variances.\n";
  if (withMEANT) {
    out << "+MEANT: the same with MEANT's error (MEANT_SE = " << figure(analysis.total.MEANT_SE, 2)
        << " minutes) added by the delta method;\nthe total's MEANT term is shared by the nights.\n"
           "log lower, log upper: log-normal limits from the variance with MEANT's term.\n"
           "Quote lower+MEANT to upper+MEANT: they hold every known variance.\n";
  } else {
    out << "log lower, log upper: log-normal limits from the program's variance (no MEANT_SE given).\n"
           "Quote lower to upper, and say that they leave out MEANT's error: give MEANT_SE or DURATIONS\n"
           "in the CSV layout for limits that hold it.\n";
  }
  for (const FieldRow& night : analysis.nights) {
    const std::string why = whyNoLimits(night);
    if (!why.empty()) out << "Night " << night.night << ": " << why << ".\n";
  }
}

}  // namespace

std::string nightsTable(const FieldAnalysis& analysis) {
  std::ostringstream out;
  const bool withMEANT = analysis.total.MEANT_SE.has_value();
  const std::vector<std::string> heads = headings(withMEANT);
  std::vector<std::vector<std::string>> rows;
  for (const FieldRow& night : analysis.nights) rows.push_back(cells(night, withMEANT));
  rows.push_back(cells(analysis.total, withMEANT));
  std::vector<std::size_t> widths;
  for (const std::string& heading : heads) widths.push_back(heading.size());
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
  line(heads);
  for (const auto& row : rows) line(row);
  printLegend(analysis, withMEANT, out);
  return out.str();
}

}  // namespace arribada::fielddata
