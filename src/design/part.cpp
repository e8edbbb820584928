#include "design/part.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <cstdio>
#include <map>
#include <numeric>
#include <sstream>

#include "design/design_file.hpp"
#include "text/errors.hpp"

namespace arribada::design {
namespace {

constexpr const char* kFirstLine = "arribada design part 1";

// Cost of placing one female: the fast path with two threads and the plain
// path an uneven beach takes (docs/performance.md).
constexpr double kFastSecondsPerFemale = 20e-9;
constexpr double kPlainSecondsPerFemale = 100e-9;
// Setting up a scenario, measured on the same machine with 10 000 small scenarios.
constexpr double kSecondsPerScenario = 50e-6;

// Exact text of a float or double: hexadecimal floating point, which C's
// printf and strtod write and read exactly on every library (std::to_chars
// for reals is missing from some); the point is the C locale's, which the
// program never changes and R keeps for numbers.
std::string hex(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%a", value);
  return text;
}

// The real in `word`, whole; nothing when it is not one.
template <typename Real>
std::optional<Real> readReal(const std::string& word) {
  if (word.empty() || std::isspace(static_cast<unsigned char>(word[0]))) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const Real value = std::is_same_v<Real, float> ? std::strtof(word.c_str(), &end) : std::strtod(word.c_str(), &end);
  if (end != word.c_str() + word.size() || errno == ERANGE) return std::nullopt;
  return value;
}

std::string estimateLine(const engine::ReplicateEstimate& e) {
  return "r " + hex(e.MHAT) + ' ' + hex(e.VARM) + ' ' + hex(e.VARTR) + ' ' + hex(e.VARTI) + ' ' + hex(e.LCL) + ' ' +
         hex(e.UCL) + '\n';
}

std::string outcomeText(const DesignOutcome& o) {
  std::string text = "design " + std::to_string(o.design.index) + " rounds " + std::to_string(o.cost.rounds) +
                     " hours " + hex(o.cost.observerHours) +
                     " minutes " + hex(o.cost.roundMinutes) + " feasible " + (o.cost.feasible ? "1" : "0") +
                     " replicates " + std::to_string(o.replicates.size()) + '\n';
  text += "skipped " + o.skipped + '\n';
  for (const engine::ReplicateEstimate& e : o.replicates) text += estimateLine(e);
  return text;
}

// The lines of a part, read one at a time, each fault naming the part and line.
class PartReader {
 public:
  PartReader(const std::string& text, std::string name) : in_(text), name_(std::move(name)) {}

  [[noreturn]] void fail(const std::string& what) const {
    throw text::RunTimeError(name_ + ", line " + std::to_string(line_) + ": " + what +
                             " (not a whole part of a design search task)");
  }
  std::string line() {
    std::string text;
    if (!std::getline(in_, text)) fail("the part ends early");
    ++line_;
    return text;
  }
  // The next line's words after `key`; a fault when it does not start with it.
  std::istringstream words(const std::string& key) {
    const std::string text = line();
    if (text.rfind(key + ' ', 0) != 0 && text != key) fail("'" + key + "' expected");
    return std::istringstream(text.substr(std::min(text.size(), key.size() + 1)));
  }
  // The rest of a line "key text".
  std::string rest(const std::string& key) {
    const std::string text = line();
    if (text.rfind(key + ' ', 0) != 0) fail("'" + key + "' expected");
    return text.substr(key.size() + 1);
  }
  std::string bytes(std::size_t count) {
    std::string text(count, '\0');
    if (!in_.read(text.data(), static_cast<std::streamsize>(count))) fail("the settings end early");
    line_ += static_cast<std::int32_t>(std::count(text.begin(), text.end(), '\n'));
    if (in_.get() != '\n') fail("the settings are not as long as said");
    ++line_;
    return text;
  }
  template <typename Number>
  Number number(std::istringstream& words, const std::string& what) {
    std::string word;
    words >> word;
    if constexpr (std::is_floating_point_v<Number>) {
      const std::optional<Number> value = readReal<Number>(word);
      if (!value) fail("'" + word + "' is not a valid " + what);
      return *value;
    } else {
      Number value{};
      const char* end = word.data() + word.size();
      const auto read = std::from_chars(word.data(), end, value);
      if (word.empty() || read.ec != std::errc() || read.ptr != end) fail("'" + word + "' is not a valid " + what);
      return value;
    }
  }
  void expectWord(std::istringstream& words, const std::string& word) {
    std::string read;
    if (!(words >> read) || read != word) fail("'" + word + "' expected");
  }

 private:
  std::istringstream in_;
  std::string name_;
  std::int32_t line_ = 0;
};

engine::ReplicateEstimate readEstimate(PartReader& reader) {
  std::istringstream w = reader.words("r");
  engine::ReplicateEstimate e;
  for (float* value : {&e.MHAT, &e.VARM, &e.VARTR, &e.VARTI, &e.LCL, &e.UCL}) *value = reader.number<float>(w, "estimate");
  return e;
}

DesignOutcome readOutcome(PartReader& reader, const Design& design) {
  std::istringstream w = reader.words("design");
  DesignOutcome o{design, {}, {}, {}, {}, false};
  if (reader.number<std::int32_t>(w, "design") != design.index) reader.fail("design " + std::to_string(design.index) + " expected");
  reader.expectWord(w, "rounds");
  o.cost.rounds = reader.number<std::int32_t>(w, "number of rounds");
  reader.expectWord(w, "hours");
  o.cost.observerHours = reader.number<double>(w, "number of hours");
  reader.expectWord(w, "minutes");
  o.cost.roundMinutes = reader.number<double>(w, "number of minutes");
  reader.expectWord(w, "feasible");
  o.cost.feasible = reader.number<std::int32_t>(w, "feasibility") != 0;
  reader.expectWord(w, "replicates");
  const auto count = reader.number<std::int32_t>(w, "number of replicates");
  if (count < 0) reader.fail("a negative number of replicates");
  const std::string skipped = reader.line();
  if (skipped.rfind("skipped", 0) != 0) reader.fail("'skipped' expected");
  o.skipped = skipped.size() > 8 ? skipped.substr(8) : std::string();
  for (std::int32_t L = 0; L < count; ++L) o.replicates.push_back(readEstimate(reader));
  return o;
}

}  // namespace

double expectedSeconds(const SearchSettings& settings, const Scenario& scenario) {
  const double females = static_cast<double>(scenario.NN) * settings.IREP;
  return kSecondsPerScenario +
         females * (usesFastPath(settings, scenario) ? kFastSecondsPerFemale : kPlainSecondsPerFemale);
}

std::vector<std::int32_t> taskScenarios(const SearchSettings& settings) {
  const std::vector<Scenario> scenarios = listScenarios(settings);
  std::vector<double> seconds;
  for (const Scenario& s : scenarios) seconds.push_back(expectedSeconds(settings, s));
  std::vector<std::int32_t> order(scenarios.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
    return seconds[static_cast<std::size_t>(a)] > seconds[static_cast<std::size_t>(b)];
  });
  return order;
}

std::string settingsHash(const std::string& settingsText) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : settingsText) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

std::string partFileName(std::int32_t task) { return "part-" + std::to_string(task) + ".txt"; }

std::string partText(const TaskPart& part) {
  const ScenarioResult& r = part.result;
  if (r.stopped) throw text::RunTimeError("a stopped scenario has no part");
  std::string text = std::string(kFirstLine) + '\n';
  text += "task " + std::to_string(part.task) + " of " + std::to_string(part.tasks) + '\n';
  text += "settings-hash " + settingsHash(part.settingsText) + '\n';
  text += "settings-bytes " + std::to_string(part.settingsText.size()) + '\n' + part.settingsText + '\n';
  text += "scenario " + std::to_string(r.scenario.index) + " replicates " + std::to_string(r.replicates) +
          " independent " + std::to_string(r.independentReplicates) + " designs " + std::to_string(r.designs.size()) +
          '\n';
  text += "warning " + r.warning + '\n';  // one line, empty when the scenario has none
  for (const DesignOutcome& o : r.designs) text += outcomeText(o);
  return text + "end\n";
}

TaskPart readPart(const std::string& text, const std::string& name) {
  PartReader reader(text, name);
  if (reader.line() != kFirstLine) reader.fail("'" + std::string(kFirstLine) + "' expected");
  TaskPart part;
  std::istringstream task = reader.words("task");
  part.task = reader.number<std::int32_t>(task, "task number");
  reader.expectWord(task, "of");
  part.tasks = reader.number<std::int32_t>(task, "number of tasks");
  const std::string hash = reader.rest("settings-hash");
  std::istringstream size = reader.words("settings-bytes");
  part.settingsText = reader.bytes(reader.number<std::size_t>(size, "length"));
  if (settingsHash(part.settingsText) != hash) reader.fail("the settings do not have the hash written with them");
  std::istringstream settingsText(part.settingsText);
  const SearchSettings settings = parseDesignFile(settingsText, name + " (its settings)");
  std::istringstream w = reader.words("scenario");
  ScenarioResult& r = part.result;
  const auto index = reader.number<std::int32_t>(w, "scenario");
  const std::vector<Scenario> scenarios = listScenarios(settings);
  if (index < 0 || static_cast<std::size_t>(index) >= scenarios.size()) reader.fail("no such scenario");
  r.scenario = scenarios[static_cast<std::size_t>(index)];
  reader.expectWord(w, "replicates");
  r.replicates = reader.number<std::int32_t>(w, "number of replicates");
  reader.expectWord(w, "independent");
  r.independentReplicates = reader.number<std::int32_t>(w, "number of replicates");
  reader.expectWord(w, "designs");
  const std::vector<Design> designs = listDesigns(settings);
  if (reader.number<std::size_t>(w, "number of designs") != designs.size()) reader.fail("another number of designs");
  r.warning = reader.rest("warning");
  for (const Design& d : designs) r.designs.push_back(readOutcome(reader, d));
  if (reader.line() != "end") reader.fail("'end' expected");
  measureScenario(settings, r);
  return part;
}

CollectedSearch collectParts(const std::vector<NamedPart>& parts) {
  if (parts.empty()) throw text::RunTimeError("no parts to collect");
  const NamedPart& first = parts.front();
  std::istringstream settingsText(first.part.settingsText);
  CollectedSearch search{parseDesignFile(settingsText, first.name + " (its settings)"), {}};
  const std::vector<std::int32_t> scenarioOf = taskScenarios(search.settings);
  const auto tasks = static_cast<std::int32_t>(scenarioOf.size());
  std::map<std::int32_t, const NamedPart*> byTask;
  for (const NamedPart& p : parts) {
    const std::string hash = settingsHash(p.part.settingsText);
    if (p.part.settingsText != first.part.settingsText)
      throw text::RunTimeError(p.name + " is a part of another search (settings " + hash + ") than " + first.name +
                               " (settings " + settingsHash(first.part.settingsText) + ")");
    if (p.part.tasks != tasks || p.part.task < 1 || p.part.task > tasks)
      throw text::RunTimeError(p.name + " says it is task " + std::to_string(p.part.task) + " of " +
                               std::to_string(p.part.tasks) + "; its settings have " + std::to_string(tasks) +
                               " tasks");
    if (p.part.result.scenario.index != scenarioOf[static_cast<std::size_t>(p.part.task - 1)])
      throw text::RunTimeError(p.name + " holds scenario " + std::to_string(p.part.result.scenario.index + 1) +
                               ", which is not the scenario of task " + std::to_string(p.part.task));
    const auto [at, inserted] = byTask.emplace(p.part.task, &p);
    if (!inserted)
      throw text::RunTimeError(p.name + " and " + at->second->name + " are both task " + std::to_string(p.part.task));
  }
  std::vector<std::int32_t> missing;
  for (std::int32_t k = 1; k <= tasks; ++k) {
    if (byTask.count(k) == 0) missing.push_back(k);
  }
  if (!missing.empty())
    throw text::RunTimeError("the parts of task(s) " + text::numberList(missing) + " of " + std::to_string(tasks) + " are missing");
  for (const auto& [task, p] : byTask) search.results.push_back(p->part.result);
  std::sort(search.results.begin(), search.results.end(),
            [](const ScenarioResult& a, const ScenarioResult& b) { return a.scenario.index < b.scenario.index; });
  return search;
}

}  // namespace arribada::design
