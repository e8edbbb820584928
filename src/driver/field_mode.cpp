#include "driver/field_mode.hpp"

#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "driver/interrupt.hpp"
#include "fielddata/nights.hpp"
#include "fielddata/nights_table.hpp"
#include "results/folder.hpp"
#include "text/errors.hpp"

namespace arribada::driver {
namespace {

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
  out << fielddata::nightsTable(analysis);
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
