#include "driver/design_run.hpp"

#include <chrono>
#include <filesystem>
#include <ostream>

#include "design/design_file.hpp"
#include "design/outputs.hpp"
#include "design/search.hpp"
#include "driver/interrupt.hpp"
#include "engine/random.hpp"
#include "results/files.hpp"
#include "text/errors.hpp"

namespace arribada::driver {
namespace {

using Seconds = std::chrono::duration<double>;
using Moment = std::chrono::steady_clock::time_point;

// Rough cost of placing one female, measured with the benchmark on the
// development machine (docs/performance.md): the fast path with two threads
// and the plain path an uneven beach takes.
constexpr double kFastSecondsPerFemale = 20e-9;
constexpr double kPlainSecondsPerFemale = 100e-9;
// Setting up a scenario, and writing one byte of the results (the numbers'
// text and the picture's), measured on the same machine with 10 000 small
// scenarios, where writing took most of the time.
constexpr double kSecondsPerScenario = 50e-6;
constexpr double kSecondsPerByteWritten = 50e-9;
// Results larger than this are announced before the run (docs/decisions.md).
constexpr double kLargeResultsBytes = 200e6;

std::string duration(double seconds) {
  if (seconds < 90.0) return std::to_string(static_cast<long>(seconds + 0.5)) + " s";
  return std::to_string(static_cast<long>(seconds / 60.0 + 0.5)) + " min";
}

// The work of a scenario in seconds, as the time estimate reckons it.
double estimatedSeconds(const design::SearchSettings& settings, const design::Scenario& s) {
  const double females = static_cast<double>(s.NN) * settings.IREP;
  return kSecondsPerScenario +
         females * (design::usesFastPath(settings, s) ? kFastSecondsPerFemale : kPlainSecondsPerFemale);
}

std::string megabytes(double bytes) { return std::to_string(static_cast<long long>(bytes / 1e6 + 0.5)) + " MB"; }

// Says before the run when its results would be large, and what makes them so.
void announceLargeResults(const design::OutputSize& size, std::ostream& errors) {
  if (size.total() <= kLargeResultsBytes) return;
  errors << "arribada: warning: the results will take about " << megabytes(size.total()) << " (designs.csv "
         << megabytes(size.designs) << ", design-replicates.csv " << megabytes(size.replicates) << ", designs.svg "
         << megabytes(size.picture) << "), more than " << megabytes(kLargeResultsBytes)
         << ": fewer scenarios, designs or replicates (IREP) make them smaller\n";
}

void announcePlan(const design::SearchSettings& settings, const std::vector<design::Scenario>& scenarios,
                  std::ostream& errors, double total) {
  std::int32_t skipped = 0;
  const std::vector<design::Design> designs = design::listDesigns(settings);
  for (const design::Design& d : designs) skipped += d.skipped.empty() ? 0 : 1;
  errors << "arribada: design search: " << scenarios.size() << " scenario(s) x " << designs.size() << " design(s)"
         << (skipped > 0 ? " (" + std::to_string(skipped) + " skipped)" : std::string()) << ", " << settings.IREP
         << " replicates each; about " << duration(total) << '\n';
  for (const design::Scenario& s : scenarios) {
    const double draws = design::expectedDraws(settings, s);
    if (draws < static_cast<double>(engine::kStreamPeriod)) continue;
    errors << "arribada: warning: scenario " << s.index + 1 << " is expected to take about " << draws / 1e9
           << " billion draws, past the random stream's period of " << engine::kStreamPeriod
           << ": its later replicates reuse earlier draws, and its Monte Carlo errors count only the independent ones\n";
  }
  errors.flush();
}

class ProgressLine {
 public:
  ProgressLine(std::ostream& errors, std::size_t scenarios, double total)
      : errors_(errors), scenarios_(scenarios), total_(total), start_(std::chrono::steady_clock::now()) {}

  // Called after each replicate; a line at most every 2 seconds and at each scenario's end.
  design::Continue operator()(const design::Progress& p, double scenarioShare, double doneBefore) {
    const Moment now = std::chrono::steady_clock::now();
    const bool last = p.replicate == p.replicates;
    if (!last && now - shown_ < std::chrono::seconds(2)) return design::Continue::yes;
    shown_ = now;
    const double elapsed = Seconds(now - start_).count();
    const double done = doneBefore + scenarioShare * p.replicate / p.replicates;
    const double left = done > 0.0 ? elapsed * (total_ - done) / done : total_;
    errors_ << "arribada: scenario " << p.scenario + 1 << " of " << scenarios_ << ", replicate " << p.replicate
            << " of " << p.replicates << ", " << duration(elapsed) << " elapsed, about " << duration(left)
            << " left\n"
            << std::flush;
    return design::Continue::yes;
  }

 private:
  std::ostream& errors_;
  std::size_t scenarios_;
  double total_;
  Moment start_;
  Moment shown_{};
};

// An interrupted search writes nothing: the folder it made for its results
// is still empty and is removed, so that the same command can be run again.
int interrupted(int signal, const design::Scenario& s, const design::ScenarioResult& reached, std::size_t scenarios,
                const std::string& folder, std::ostream& errors) {
  std::error_code ignored;
  std::filesystem::remove(folder, ignored);  // removes only an empty folder
  errors << "arribada: design search interrupted in scenario " << s.index + 1 << " of " << scenarios
         << " after replicate " << reached.replicates << "; nothing was written, and the empty folder " << folder
         << " was removed\n";
  return interruptedStatus(signal);
}

}  // namespace

std::string defaultDesignFolder(const std::string& designFile) {
  std::filesystem::path path(designFile);
  return (path.parent_path() / (path.stem().string() + "-designs")).string();
}

int runDesignSearch(const std::string& designFile, const std::optional<std::string>& resultsDirectory,
                    std::ostream& out, std::ostream& errors, bool wide) {
  try {
    const design::SearchSettings settings = design::readDesignFile(designFile);
    const std::string folder = resultsDirectory.value_or(defaultDesignFolder(designFile));
    results::createFolder(folder);
    const std::vector<design::Scenario> scenarios = design::listScenarios(settings);
    const design::OutputSize size = design::expectedOutputSize(settings);
    double total = size.total() * kSecondsPerByteWritten;
    for (const design::Scenario& s : scenarios) total += estimatedSeconds(settings, s);
    announcePlan(settings, scenarios, errors, total);
    announceLargeResults(size, errors);
    ProgressLine progress(errors, scenarios.size(), total);
    const StopRequest stop;
    std::vector<design::ScenarioResult> results;
    double doneBefore = 0.0;
    for (const design::Scenario& s : scenarios) {
      const double share = estimatedSeconds(settings, s);
      results.push_back(design::runScenario(settings, s.index, [&](const design::Progress& p) {
        return stop.signal() != 0 ? design::Continue::stop : progress(p, share, doneBefore);
      }));
      if (results.back().stopped) return interrupted(stop.signal(), s, results.back(), scenarios.size(), folder, errors);
      doneBefore += share;
    }
    const design::SearchResult search = design::combineResults(settings, results);
    for (const std::string& warning : design::longRoundWarnings(search)) errors << "arribada: warning: " << warning << '\n';
    out << design::searchTable(settings, search, wide ? design::TableWidth::wide : design::TableWidth::narrow)
        << std::flush;
    design::writeSearchFiles(folder, settings, search, results);
    errors << "arribada: designs.csv, design-replicates.csv and designs.svg are in " << folder << '\n';
    if (!out) {
      errors << "arribada: the standard output could not be written\n";
      return text::kRunTimeErrorStatus;
    }
    return 0;
  } catch (const text::RunTimeError& error) {
    errors << "arribada: " << error.what() << '\n';
    return text::kRunTimeErrorStatus;
  }
}

}  // namespace arribada::driver
