#include "driver/design_run.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <regex>
#include <sstream>

#include "design/design_file.hpp"
#include "design/outputs.hpp"
#include "design/part.hpp"
#include "design/search.hpp"
#include "driver/interrupt.hpp"
#include "engine/random.hpp"
#include "results/files.hpp"
#include "text/errors.hpp"
#include "text/system_files.hpp"

namespace arribada::driver {
namespace {

using Seconds = std::chrono::duration<double>;
using Moment = std::chrono::steady_clock::time_point;

// Writing one byte of the results (the numbers' text and the picture's),
// measured on the development machine with 10 000 small scenarios, where
// writing took most of the time.
constexpr double kSecondsPerByteWritten = 50e-9;
// Results larger than this are announced before the run (docs/decisions.md).
constexpr double kLargeResultsBytes = 200e6;

std::string duration(double seconds) {
  if (seconds < 90.0) return std::to_string(static_cast<long>(seconds + 0.5)) + " s";
  return std::to_string(static_cast<long>(seconds / 60.0 + 0.5)) + " min";
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

// Said when an interrupt stopped the search: where, and that nothing was kept.
int interrupted(int signal, const std::string& where, const std::string& folder, std::ostream& errors) {
  errors << "arribada: design search interrupted " << where << "; nothing was kept: the results folder " << folder
         << " was not made\n";
  return interruptedStatus(signal);
}

std::string inScenario(const design::ScenarioResult& reached, std::size_t scenarios) {
  return "in scenario " + std::to_string(reached.scenario.index + 1) + " of " + std::to_string(scenarios) +
         " after replicate " + std::to_string(reached.replicates);
}

// Where the table goes, and whether in full (--wide) or in 80 columns.
struct Screen {
  std::ostream& out;
  bool wide = false;
};

// The end that the one-shot search and --collect share: the table on `out`,
// the three files in the unfinished folder, which then takes its name. A
// table that cannot be shown stops nothing; it is said after the files.
int finishSearch(const design::SearchSettings& settings, const std::vector<design::ScenarioResult>& results,
                 results::StagedFolder& folder, const StopRequest& stop, const Screen& screen, std::ostream& errors) {
  const design::SearchResult search = design::combineResults(settings, results);
  for (const std::string& warning : design::longRoundWarnings(search)) errors << "arribada: warning: " << warning << '\n';
  std::ostream& out = screen.out;
  errno = 0;
  out << design::searchTable(settings, search, screen.wide ? design::TableWidth::wide : design::TableWidth::narrow)
      << std::flush;
  const int screenFault = out ? 0 : errno;
  design::writeSearchFiles(folder.path(), settings, search, results);
  if (stop.signal() != 0) return interrupted(stop.signal(), "while writing its results", folder.finalName(), errors);
  folder.publish();
  const std::string files = "designs.csv, design-replicates.csv and designs.svg";
  if (screenFault == 0 && out) {
    errors << "arribada: " << files << " are in " << folder.finalName() << '\n';
    return 0;
  }
  errors << "arribada: write failed on the standard output (" << std::strerror(screenFault != 0 ? screenFault : EIO)
         << "): the table was not shown, but " << files << " are whole in " << folder.finalName() << '\n';
  return text::kRunTimeErrorStatus;
}

// The whole text of the design file `name`.
std::string designText(const std::string& name) {
  std::ifstream in(text::systemPath(name), std::ios::binary);
  std::ostringstream text;
  if (!(text << in.rdbuf())) throw text::RunTimeError("cannot open the design file '" + name + "'");
  return text.str();
}

design::SearchSettings designSettings(const std::string& name, const std::string& text) {
  std::istringstream in(text);
  return design::parseDesignFile(in, name);
}

// The one-line description of task k for people.
std::string taskLine(const design::SearchSettings& settings, const design::Scenario& s, std::int32_t task,
                     std::size_t tasks) {
  return "arribada: task " + std::to_string(task) + " of " + std::to_string(tasks) + ": scenario " +
         std::to_string(s.index + 1) + " (NN " + std::to_string(s.NN) + ", density " + s.densityLabel + "), about " +
         duration(design::expectedSeconds(settings, s)) + "\n";
}

// The parts in `directory`, by the names tasks give them.
std::vector<design::NamedPart> readParts(const std::string& directory) {
  static const std::regex partName("part-[0-9]+\\.txt");
  std::error_code error;
  std::filesystem::directory_iterator entries(text::systemPath(directory), error);
  if (error) throw text::RunTimeError("cannot read the folder of parts '" + directory + "': " + error.message());
  std::vector<std::string> names;
  for (const auto& entry : entries) {
    const std::string name = entry.path().filename().string();
    if (std::regex_match(name, partName)) names.push_back(name);
  }
  if (names.empty()) throw text::RunTimeError("the folder '" + directory + "' holds no parts (part-K.txt)");
  std::sort(names.begin(), names.end());
  std::vector<design::NamedPart> parts;
  for (const std::string& name : names) {
    const std::string path = (std::filesystem::path(directory) / name).string();
    std::ifstream in(text::systemPath(path), std::ios::binary);
    std::ostringstream text;
    if (!(text << in.rdbuf())) throw text::RunTimeError("cannot read the part '" + path + "'");
    parts.push_back({path, design::readPart(text.str(), path)});
  }
  return parts;
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
    results::StagedFolder folder(resultsDirectory.value_or(defaultDesignFolder(designFile)));
    const std::vector<design::Scenario> scenarios = design::listScenarios(settings);
    const design::OutputSize size = design::expectedOutputSize(settings);
    double total = size.total() * kSecondsPerByteWritten;
    for (const design::Scenario& s : scenarios) total += design::expectedSeconds(settings, s);
    announcePlan(settings, scenarios, errors, total);
    announceLargeResults(size, errors);
    ProgressLine progress(errors, scenarios.size(), total);
    const StopRequest stop;
    std::vector<design::ScenarioResult> results;
    double doneBefore = 0.0;
    for (const design::Scenario& s : scenarios) {
      const double share = design::expectedSeconds(settings, s);
      results.push_back(design::runScenario(settings, s.index, [&](const design::Progress& p) {
        return stop.signal() != 0 ? design::Continue::stop : progress(p, share, doneBefore);
      }));
      if (stop.signal() != 0)
        return interrupted(stop.signal(), inScenario(results.back(), scenarios.size()), folder.finalName(), errors);
      doneBefore += share;
    }
    return finishSearch(settings, results, folder, stop, {out, wide}, errors);
  } catch (const text::RunTimeError& error) {
    errors << "arribada: " << error.what() << '\n';
    return text::kRunTimeErrorStatus;
  }
}

int printTaskCount(const std::string& designFile, std::ostream& out, std::ostream& errors) {
  try {
    const design::SearchSettings settings = design::readDesignFile(designFile);
    const std::vector<design::Scenario> scenarios = design::listScenarios(settings);
    const std::vector<std::int32_t> order = design::taskScenarios(settings);
    for (std::size_t k = 0; k < order.size(); ++k) {
      errors << taskLine(settings, scenarios[static_cast<std::size_t>(order[k])], static_cast<std::int32_t>(k + 1),
                         order.size());
    }
    out << order.size() << '\n' << std::flush;
    if (!out) {
      errors << "arribada: write failed on the standard output: " << std::strerror(errno) << '\n';
      return text::kRunTimeErrorStatus;
    }
    return 0;
  } catch (const text::RunTimeError& error) {
    errors << "arribada: " << error.what() << '\n';
    return text::kRunTimeErrorStatus;
  }
}

int runDesignTask(const std::string& designFile, std::int32_t task, const std::string& partsDirectory,
                  std::ostream& errors) {
  try {
    const std::string text = designText(designFile);
    const design::SearchSettings settings = designSettings(designFile, text);
    const std::vector<std::int32_t> order = design::taskScenarios(settings);
    const auto tasks = static_cast<std::int32_t>(order.size());
    if (task < 1 || task > tasks) {
      throw text::RunTimeError("task " + std::to_string(task) + " does not exist: " + designFile + " has " +
                               std::to_string(tasks) + " task(s), 1 to " + std::to_string(tasks));
    }
    const design::Scenario s = design::listScenarios(settings)[static_cast<std::size_t>(order[task - 1])];
    errors << taskLine(settings, s, task, order.size()) << std::flush;
    std::error_code error;
    std::filesystem::create_directories(text::systemPath(partsDirectory), error);
    if (error) throw text::RunTimeError("cannot make the folder of parts '" + partsDirectory + "': " + error.message());
    const StopRequest stop;
    ProgressLine progress(errors, static_cast<std::size_t>(tasks), design::expectedSeconds(settings, s));
    design::TaskPart part{text, task, tasks, design::runScenario(settings, s.index, [&](const design::Progress& p) {
                            return stop.signal() != 0 ? design::Continue::stop : progress(p, 1.0, 0.0);
                          })};
    const std::string name = (std::filesystem::path(partsDirectory) / design::partFileName(task)).string();
    if (stop.signal() != 0) {
      errors << "arribada: task " << task << " interrupted " << inScenario(part.result, order.size())
             << "; its part " << name << " was not written\n";
      return interruptedStatus(stop.signal());
    }
    results::replaceFile(name, design::partText(part));
    errors << "arribada: task " << task << " of " << tasks << " written whole in " << name << '\n';
    return 0;
  } catch (const text::RunTimeError& error) {
    errors << "arribada: " << error.what() << '\n';
    return text::kRunTimeErrorStatus;
  }
}

int collectDesignTasks(const std::string& partsDirectory, const std::string& resultsDirectory, std::ostream& out,
                       std::ostream& errors, bool wide) {
  try {
    const design::CollectedSearch search = design::collectParts(readParts(partsDirectory));
    errors << "arribada: " << search.results.size() << " part(s) of one search collected from " << partsDirectory
           << '\n';
    results::StagedFolder folder(resultsDirectory);
    const StopRequest stop;
    return finishSearch(search.settings, search.results, folder, stop, {out, wide}, errors);
  } catch (const text::RunTimeError& error) {
    errors << "arribada: " << error.what() << '\n';
    return text::kRunTimeErrorStatus;
  }
}

}  // namespace arribada::driver
