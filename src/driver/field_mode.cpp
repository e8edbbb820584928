#include "driver/field_mode.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "driver/interrupt.hpp"
#include "fielddata/nights.hpp"
#include "results/folder.hpp"
#include "text/errors.hpp"

namespace arribada::driver {
namespace {

using fielddata::FieldRow;

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

struct Column {
  std::string heading;
  std::size_t width;
};

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

void printTable(const fielddata::FieldAnalysis& analysis, std::ostream& out) {
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
}

}  // namespace

int runFieldAnalysis(const Options& options, std::ostream& out, std::ostream& errors) {
  std::optional<fielddata::FieldAnalysis> analysis;
  try {
    std::vector<fielddata::SurveyNight> nights;
    for (const std::string& name : options.names) {
      errors << "arribada: reading '" << name << "' (night " << nights.size() + 1 << ")\n";
      nights.push_back(fielddata::readSurveyFile(name, text::Warnings(&errors)));
    }
    analysis = fielddata::analyseNights(nights);
  } catch (const text::RunTimeError& error) {
    errors << "arribada: run-time error: " << error.what() << '\n';
    return text::kRunTimeErrorStatus;
  }
  // From here an interrupt lets the folder be finished or removed (while the
  // files are read it ends the program at once: nothing is made by then).
  const StopRequest stop;
  // The table first: a folder that cannot be written takes nothing from the screen.
  errno = 0;
  printTable(*analysis, out);
  out.flush();
  const int screenFault = out ? 0 : errno;
  if (options.resultsDirectory) {
    const std::string& folder = *options.resultsDirectory;
    try {
      results::writeFieldAnalysis(folder, *analysis, [&stop] { return stop.signal() == 0; });
      errors << "arribada: field.csv and field.svg written in '" << folder << "'\n";
    } catch (const text::RunTimeError& error) {
      if (stop.signal() != 0) {
        errors << "arribada: interrupted; the table was printed, the results folder '" << folder << "' was not made\n";
        return interruptedStatus(stop.signal());
      }
      errors << "arribada: run-time error: " << error.what() << "; the results folder '" << folder
             << "' was not made\n";
      return text::kRunTimeErrorStatus;
    }
  }
  if (stop.signal() != 0) {
    errors << "arribada: interrupted" << (options.resultsDirectory ? " after the results folder was made" : "")
           << '\n';
    return interruptedStatus(stop.signal());
  }
  if (screenFault != 0 || !out) {
    errors << "arribada: write failed on the standard output (" << std::strerror(screenFault != 0 ? screenFault : EIO)
           << "): the table was not shown\n";
    return text::kRunTimeErrorStatus;
  }
  return 0;
}

}  // namespace arribada::driver
