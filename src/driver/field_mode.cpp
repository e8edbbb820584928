#include "driver/field_mode.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cmath>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "driver/interrupt.hpp"
#include "fielddata/nights.hpp"
#include "results/folder.hpp"
#include "text/errors.hpp"
#include "text/exact_decimal.hpp"

namespace arribada::driver {
namespace {

using fielddata::FieldRow;

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
  const fielddata::FieldHeader& h = *row.header;
  if (h.NTR * h.NT1 == 1) return "one count, so no estimate and no variance (as the field-data job says)";
  if (h.NTR == 1) {
    return "one transect, so no variance: the variance is measured between the transects counted at each "
           "sampling time; count two transects or more for limits";
  }
  return "the variance with these weights comes out negative, so there are no limits (check the weights)";
}

void printLegend(const fielddata::FieldAnalysis& analysis, bool withMEANT, std::ostream& out) {
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

void printTable(const fielddata::FieldAnalysis& analysis, std::ostream& out) {
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
}

// The nights read and analysed; faults of the input as RunTimeErrors.
fielddata::FieldAnalysis readAndAnalyse(const Options& options, std::ostream& errors) {
  std::vector<fielddata::SurveyNight> nights;
  for (const std::string& name : options.names) {
    errors << "arribada: reading '" << name << "' (night " << nights.size() + 1 << ")\n";
    nights.push_back(fielddata::readSurveyFile(name, text::Warnings(&errors)));
  }
  return fielddata::analyseNights(nights, text::Warnings(&errors));
}

// The table, then the results folder when one is asked for; the exit status.
// An interrupt from here lets the folder be finished or removed (while the
// files are read it ends the program at once: nothing is made by then).
int printAndKeep(const Options& options, const fielddata::FieldAnalysis& analysis, std::ostream& out,
                 std::ostream& errors) {
  const StopRequest stop;
  // The table first: a folder that cannot be written takes nothing from the screen.
  errno = 0;
  printTable(analysis, out);
  out.flush();
  const int screenFault = out ? 0 : errno;
  if (options.resultsDirectory) {
    const std::string& folder = *options.resultsDirectory;
    try {
      results::writeFieldAnalysis(folder, analysis, [&stop] { return stop.signal() == 0; });
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

}  // namespace

int runFieldAnalysis(const Options& options, std::ostream& out, std::ostream& errors) {
  // Every fault ends with one line and status 2: no exception leaves this mode.
  const auto fail = [&](const std::string& what) {
    out.flush();
    errors << "arribada: " << what << '\n';
    return text::kRunTimeErrorStatus;
  };
  try {
    return printAndKeep(options, readAndAnalyse(options, errors), out, errors);
  } catch (const text::RunTimeError& error) {
    return fail(std::string("run-time error: ") + error.what());
  } catch (const std::bad_alloc&) {
    return fail("run-time error: out of memory while analysing the survey files");
  } catch (const std::exception& error) {
    return fail(std::string("internal error: ") + error.what() + " (please report it with the survey files)");
  } catch (...) {
    return fail("internal error: an unknown fault (please report it with the survey files)");
  }
}

}  // namespace arribada::driver
