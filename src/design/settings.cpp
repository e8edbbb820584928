#include "design/scenario_setup.hpp"

#include <algorithm>
#include <array>
#include <limits>
#include <cmath>
#include <sstream>

#include "design/pilot.hpp"
#include "engine/random.hpp"
#include "engine/table.hpp"
#include "entry/dialogue.hpp"
#include "text/errors.hpp"

namespace arribada::design {
namespace {

// The longest arribada the built-in table takes: 209 hours round to 204.
constexpr std::int32_t kLongestArribada = engine::kMaxHours + 5;

class Faults {
 public:
  void add(const std::string& name, const std::string& message, std::int32_t item = -1) {
    faults_.push_back({name, message, item});
  }
  template <class T, class Holds>
  void eachValue(const std::string& name, const std::vector<T>& values, Holds holds, const std::string& expected) {
    if (values.empty()) add(name, "needs at least one value (" + expected + ")");
    for (const T& value : values) {
      if (!holds(value)) {
        std::ostringstream text;
        text << name << " = " << value << " is not " << expected;
        add(name, text.str());
      }
    }
  }
  std::vector<SettingsFault> take() { return std::move(faults_); }

 private:
  std::vector<SettingsFault> faults_;
};

std::string realText(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

bool finite(double value) { return std::isfinite(value) && std::fabs(value) <= 1.0e30; }

void checkBeach(const SearchSettings& settings, Faults& faults) {
  if (settings.NTR < 1 || settings.NTR > engine::kMaxStrips) {
    faults.add("NTR", "NTR = " + std::to_string(settings.NTR) + " is not a number of strips from 1 to " +
                          std::to_string(engine::kMaxStrips) + " (required)");
  }
  if (settings.densities.empty()) faults.add("DENSITY", "needs at least one density (an empty one is the even beach)");
  for (std::size_t d = 0; d < settings.densities.size(); ++d) {
    const std::vector<double>& density = settings.densities[d];
    const auto item = static_cast<std::int32_t>(d);
    if (density.size() > static_cast<std::size_t>(engine::kMaxStrips)) {
      faults.add("DENSITY", "has more than " + std::to_string(engine::kMaxStrips) + " sections", item);
    }
    if (std::any_of(density.begin(), density.end(), [](double w) { return !finite(w) || w < 0.0; })) {
      faults.add("DENSITY", "needs relative densities of 0 or more, one per section", item);
    } else if (!density.empty() && std::all_of(density.begin(), density.end(), [](double w) { return w == 0.0; })) {
      faults.add("DENSITY", "needs some section with a density above 0", item);
    }
  }
}

void checkTable(const SearchSettings& settings, Faults& faults) {
  const bool anyShort = std::any_of(settings.IHR.begin(), settings.IHR.end(),
                                    [](std::int32_t IHR) { return IHR < engine::kShortestBuiltInArribada; });
  if (anyShort && settings.IHR.size() > 1) {
    faults.add("IHR", "an arribada under 18 hours takes its own nesting-time table, so it must be the only IHR");
    return;
  }
  const bool shortArribada = anyShort;
  if (!settings.table) {
    if (shortArribada && settings.IHR[0] >= 2) {
      faults.add("TABLE_HOURS", "an arribada under 18 hours needs its nesting-time table: TABLE_HOURS and TABLE_WEIGHTS");
    }
    return;
  }
  const ShortTable& t = *settings.table;
  if (!shortArribada) {
    faults.add("TABLE_HOURS", "a nesting-time table goes with a single IHR under 18 hours");
    return;
  }
  if (t.hourMarks.empty() || t.hourMarks.size() > static_cast<std::size_t>(engine::kMaxIntervals)) {
    faults.add("TABLE_HOURS", "needs 1 to " + std::to_string(engine::kMaxIntervals) + " hour marks");
    return;
  }
  if (t.weights.size() != t.hourMarks.size()) {
    faults.add("TABLE_WEIGHTS", "needs one weight per hour mark (" + std::to_string(t.hourMarks.size()) + ")");
    return;
  }
  for (std::size_t i = 0; i < t.hourMarks.size(); ++i) {
    const float low = i == 0 ? 0.0f : t.hourMarks[i - 1];
    if (!finite(t.hourMarks[i]) || !(t.hourMarks[i] > low)) {
      faults.add("TABLE_HOURS", "needs hour marks above 0 that rise from one to the next");
      return;
    }
  }
  if (static_cast<std::int32_t>(t.hourMarks.back()) != settings.IHR[0]) {
    faults.add("TABLE_HOURS", "needs a last hour mark whose whole part is IHR = " + std::to_string(settings.IHR[0]));
  }
  double sum = 0.0;
  for (float w : t.weights) {
    if (!finite(w) || w < 0.0f) faults.add("TABLE_WEIGHTS", "needs weights of 0 or more");
    sum += w;
  }
  if (!(sum > 0.0)) faults.add("TABLE_WEIGHTS", "needs some weight above 0");
}

void checkArribadas(const SearchSettings& settings, Faults& faults) {
  if (!settings.NN.empty() || settings.pilots.empty()) {
    faults.eachValue("NN", settings.NN, [](std::int32_t v) { return v >= 1; },
                     "a number of females of 1 or more (required without PILOT)");
  }
  faults.eachValue("IHR", settings.IHR, [](std::int32_t v) { return v >= 2 && v <= kLongestArribada; },
                   "a length in hours from 2 to " + std::to_string(kLongestArribada));
  faults.eachValue("MIN", settings.MIN, [](float v) { return finite(v) && v > 0.0f; }, "a number of minutes above 0");
  faults.eachValue("STDDEV", settings.STDDEV, [](float v) { return finite(v) && v > 0.0f; },
                   "a standard deviation in hours above 0 (leave STDDEV out for the default 2)");
  faults.eachValue("KSW", settings.KSW, [](std::int32_t v) { return engine::decodeLaw(v).has_value(); },
                   "a law: 1 normal, 2 Poisson, 3 uniform");
  checkTable(settings, faults);
  if (settings.IREP < 2 || settings.IREP > engine::kMaxReplicates) {
    faults.add("IREP", "IREP = " + std::to_string(settings.IREP) + " is not a number of replicates from 2 to " +
                           std::to_string(engine::kMaxReplicates) + " (one replicate has no Monte Carlo error; " +
                           std::to_string(kMinJudgedReplicates) + " are needed to judge a design)");
  }
  if (!entry::isValidSeed(entry::madeOdd(settings.JX))) {
    faults.add("JX", "JX = " + std::to_string(settings.JX) + " is not a starting value from 1 to " +
                         std::to_string(engine::kLargestSeed) + " once made odd");
  }
}

// A pilot's values as pilotFromSurvey makes them; settings built by hand
// (the R package) may hold anything.
void checkPilots(const SearchSettings& settings, Faults& faults) {
  for (std::size_t i = 0; i < settings.pilots.size(); ++i) {
    const Pilot& p = settings.pilots[i];
    const auto item = static_cast<std::int32_t>(i);
    const std::string name = "pilot " + p.file + ": ";
    if (!finite(p.estimate) || !(p.estimate > 0.0)) faults.add("PILOT", name + "needs an estimate above 0", item);
    if (p.IHR < 2 || p.IHR > engine::kMaxHours) {
      faults.add("PILOT", name + "needs an arribada of 2 to " + std::to_string(engine::kMaxHours) + " hours", item);
    }
    if (!finite(p.MIN) || !(p.MIN > 0.0f)) faults.add("PILOT", name + "needs a MEANT above 0 minutes", item);
    const std::size_t rows = p.table.hourMarks.size();
    const bool rising = std::is_sorted(p.table.hourMarks.begin(), p.table.hourMarks.end(), std::less_equal<>()) &&
                        rows > 0 && p.table.hourMarks.front() > 0.0f;
    if (rows == 0 || rows > static_cast<std::size_t>(engine::kMaxTableRows) || p.table.weights.size() != rows ||
        !rising || static_cast<std::int32_t>(p.table.hourMarks.back()) != p.IHR) {
      faults.add("PILOT", name + "needs 1 to " + std::to_string(engine::kMaxTableRows) +
                              " rising hour marks ending in its hours, and a weight each", item);
    }
    const bool weightsUsable =
        std::all_of(p.table.weights.begin(), p.table.weights.end(), [](float w) { return finite(w) && w >= 0.0f; }) &&
        std::any_of(p.table.weights.begin(), p.table.weights.end(), [](float w) { return w > 0.0f; });
    if (!weightsUsable) faults.add("PILOT", name + "needs counts of 0 or more over time, some above 0", item);
    if (p.density.size() != static_cast<std::size_t>(std::max(settings.NTR, 0)) ||
        std::any_of(p.density.begin(), p.density.end(), [](double w) { return !finite(w) || w < 0.0; }) ||
        std::none_of(p.density.begin(), p.density.end(), [](double w) { return w > 0.0; })) {
      faults.add("PILOT", name + "needs a density of 0 or more for each of the NTR strips, some above 0", item);
    }
    for (double factor : settings.NN_FACTOR) {
      if (finite(factor) && factor > 0.0 && !pilotNN(p, factor)) {
        faults.add("NN_FACTOR", "NN_FACTOR = " + realText(factor) + " makes pilot " + p.file +
                                    "'s NN less than 1 female or more than a whole number holds");
      }
    }
  }
  faults.eachValue("NN_FACTOR", settings.NN_FACTOR, [](double v) { return finite(v) && v > 0.0; },
                   "a factor above 0");
}

// The largest counting error's CV taken: beyond it a count is more error than count.
constexpr double kLargestCountCV = 1.0;

void checkCrewAndEffort(const SearchSettings& settings, Faults& faults) {
  faults.eachValue("OBSERVERS", settings.OBSERVERS, [](std::int32_t v) { return v >= 1 && v <= engine::kMaxStrips; },
                   "a number of observers from 1 to " + std::to_string(engine::kMaxStrips));
  if (!finite(settings.WALK_MINUTES) || settings.WALK_MINUTES < 0.0) {
    faults.add("WALK_MINUTES", "WALK_MINUTES needs a number of minutes of 0 or more");
  }
  if (settings.ALLOCATION.empty()) faults.add("ALLOCATION", "needs at least one value (even or density)");
  faults.eachValue("COUNT_CV", settings.COUNT_CV, [](double v) { return finite(v) && v >= 0.0 && v <= kLargestCountCV; },
                   "a coefficient of variation from 0 to 1");
}

void checkDesigns(const SearchSettings& settings, Faults& faults) {
  faults.eachValue("IC", settings.IC, [](std::int32_t v) { return v >= 1; }, "a number of strips of 1 or more (required)");
  faults.eachValue("EVERY", settings.EVERY, [](std::int32_t v) { return v >= 1 && v <= engine::kMaxHours; },
                   "a whole number of hours from 1 to " + std::to_string(engine::kMaxHours));
  if (settings.START.empty()) faults.add("START", "needs at least one value (first or random)");
  const auto minutes = [&faults](const std::string& name, double value) {
    if (!finite(value) || value < 0.0) faults.add(name, name + " needs a number of minutes of 0 or more (required)");
  };
  minutes("ROUND_MINUTES", settings.ROUND_MINUTES);
  minutes("STRIP_MINUTES", settings.STRIP_MINUTES);
  checkCrewAndEffort(settings, faults);
  if (!finite(settings.TARGET_CV) || !(settings.TARGET_CV > 0.0 && settings.TARGET_CV < 1.0)) {
    faults.add("TARGET_CV", "TARGET_CV needs a relative error above 0 and below 1, for example 0.10 (required)");
  }
  if (!finite(settings.TARGET_COVERAGE) || !(settings.TARGET_COVERAGE > 0.0 && settings.TARGET_COVERAGE < 1.0)) {
    faults.add("TARGET_COVERAGE", "TARGET_COVERAGE needs a proportion between 0 and 1, for example 0.95");
  }
}

// The sizes of the lists whose combinations are the scenarios, outermost first.
std::array<std::size_t, 7> listSizes(const SearchSettings& settings) {
  return {settings.NN.size(),  settings.IHR.size(),       settings.MIN.size(),     settings.STDDEV.size(),
          settings.KSW.size(), settings.densities.size(), settings.COUNT_CV.size()};
}

// a x b, held at the largest int64 instead of overflowing.
std::int64_t saturatedProduct(std::int64_t a, std::size_t b) {
  const auto most = std::numeric_limits<std::int64_t>::max();
  if (b != 0 && a > most / static_cast<std::int64_t>(b)) return most;
  return a * static_cast<std::int64_t>(b);
}

// The scenarios of the lists: their combinations (none without NN).
std::int64_t listedScenarios(const SearchSettings& settings) {
  std::int64_t count = 1;
  for (const std::size_t size : listSizes(settings)) count = saturatedProduct(count, size);
  return count;
}

// Scenario `index`, the k-th of the pilots' (for each pilot each NN_FACTOR,
// for each factor each COUNT_CV).
Scenario pilotScenario(const SearchSettings& settings, std::int32_t index, std::int64_t k) {
  const std::size_t errors = settings.COUNT_CV.size();
  const std::size_t factors = settings.NN_FACTOR.size();
  const auto rest = static_cast<std::size_t>(k);
  const auto pilot = rest / errors / factors;
  const double factor = settings.NN_FACTOR[rest / errors % factors];
  const Pilot& p = settings.pilots[pilot];
  Scenario s{index, pilotNN(p, factor).value_or(0), p.IHR, p.MIN, 0.0f, kPilotLaw, -1, "pilot " + p.file,
             settings.COUNT_CV[rest % errors]};
  s.pilot = static_cast<std::int32_t>(pilot);
  s.NN_FACTOR = factor;
  return s;
}

// The combinations a search can number (its scenarios and its designs are
// each numbered by a 32-bit index).
void checkCombinations(const SearchSettings& settings, Faults& faults) {
  const auto most = std::numeric_limits<std::int32_t>::max();
  std::int64_t designs = 1;
  for (const std::size_t size : {settings.IC.size(), settings.EVERY.size(), settings.START.size(),
                                 settings.OBSERVERS.size(), settings.ALLOCATION.size()}) {
    designs = saturatedProduct(designs, size);
  }
  const std::int64_t scenarios = scenarioCount(settings);
  if (scenarios > most) faults.add("scenarios", "the lists give more than " + std::to_string(most) + " scenarios");
  if (designs > most) faults.add("designs", "IC, EVERY, START, OBSERVERS and ALLOCATION give more than " + std::to_string(most) + " designs");
}

void requireValid(const SearchSettings& settings) {
  const std::vector<SettingsFault> faults = validateSettings(settings);
  if (faults.empty()) return;
  std::string text = "design search: the design cannot run:";
  for (const SettingsFault& fault : faults) text += "\n  " + fault.name + ": " + fault.message;
  throw text::RunTimeError(text);
}

// Why a design cannot run on the beach at all; empty when it can.
std::string whyNot(const SearchSettings& settings, const Design& d) {
  const std::string IC = "IC = " + std::to_string(d.IC);
  if (d.IC > settings.NTR) return IC + " is more strips than the beach's NTR = " + std::to_string(settings.NTR);
  if (d.allocation == Allocation::even && settings.NTR % d.IC != 0) {
    return IC + " does not divide NTR = " + std::to_string(settings.NTR) + " into a systematic sample";
  }
  if (d.EVERY < 2) {
    return "EVERY = 1 would count on the arribada's last hour, where only half of a female's window lies inside "
           "the arribada";
  }
  if (d.observers > d.IC) {
    return "OBSERVERS = " + std::to_string(d.observers) + " is more observers than the " + IC + " strips counted";
  }
  return {};
}

// Each pilot's own design (even allocation, with every START and OBSERVERS),
// unless the lists hold it already.
void addPilotDesigns(const SearchSettings& settings, std::vector<Design>& designs) {
  for (const Pilot& pilot : settings.pilots) {
    const std::optional<PilotDesign> own = pilotDesign(pilot, settings.NTR);
    if (!own) continue;
    for (Start START : settings.START)
      for (std::int32_t observers : settings.OBSERVERS) {
        Design d{static_cast<std::int32_t>(designs.size()), own->IC, own->EVERY, START, observers, Allocation::even,
                 {}, pilot.file};
        const auto same = [&](const Design& listed) {
          return listed.IC == d.IC && listed.EVERY == d.EVERY && listed.START == d.START &&
                 listed.observers == d.observers && listed.allocation == d.allocation;
        };
        const auto listed = std::find_if(designs.begin(), designs.end(), same);
        if (listed != designs.end()) {
          if (listed->pilot.empty()) listed->pilot = pilot.file;
          continue;
        }
        d.skipped = whyNot(settings, d);
        designs.push_back(d);
      }
  }
}

}  // namespace

std::vector<SettingsFault> validateSettings(const SearchSettings& settings) {
  Faults faults;
  checkBeach(settings, faults);
  checkArribadas(settings, faults);
  checkPilots(settings, faults);
  checkDesigns(settings, faults);
  checkCombinations(settings, faults);
  return faults.take();
}

std::string densityLabel(const std::vector<double>& density) {
  if (engine::evenDensity(density)) return "even";
  std::string label;
  for (double w : density) {
    if (!label.empty()) label += '/';
    label += realText(w);
  }
  return label;
}

std::int64_t scenarioCount(const SearchSettings& settings) {
  const std::int64_t pilots = saturatedProduct(
      saturatedProduct(static_cast<std::int64_t>(settings.pilots.size()), settings.NN_FACTOR.size()),
      settings.COUNT_CV.size());
  return std::min(listedScenarios(settings), std::numeric_limits<std::int64_t>::max() - pilots) + pilots;
}

Scenario scenarioAt(const SearchSettings& settings, std::int32_t index) {
  // The lists' scenarios first, then each pilot's, one per NN_FACTOR and COUNT_CV.
  const std::int64_t listed = listedScenarios(settings);
  if (index >= listed) return pilotScenario(settings, index, index - listed);
  // The index in mixed radix, the last list (COUNT_CV) the fastest digit.
  const std::array<std::size_t, 7> sizes = listSizes(settings);
  std::array<std::size_t, 7> digit{};
  auto rest = static_cast<std::size_t>(index);
  for (std::size_t k = sizes.size(); k-- > 0;) {
    digit[k] = rest % sizes[k];
    rest /= sizes[k];
  }
  Scenario s{index,
             settings.NN[digit[0]],
             settings.IHR[digit[1]],
             settings.MIN[digit[2]],
             settings.STDDEV[digit[3]],
             settings.KSW[digit[4]],
             static_cast<std::int32_t>(digit[5]),
             densityLabel(settings.densities[digit[5]]),
             settings.COUNT_CV[digit[6]]};
  if (s.IHR >= engine::kShortestBuiltInArribada) s.IHR = engine::roundToTwelve(s.IHR);
  return s;
}

std::vector<Scenario> listScenarios(const SearchSettings& settings) {
  requireValid(settings);
  const auto count = static_cast<std::int32_t>(scenarioCount(settings));
  std::vector<Scenario> scenarios;
  scenarios.reserve(static_cast<std::size_t>(count));
  for (std::int32_t s = 0; s < count; ++s) scenarios.push_back(scenarioAt(settings, s));
  return scenarios;
}

std::vector<Design> listDesigns(const SearchSettings& settings) {
  requireValid(settings);
  std::vector<Design> designs;
  for (std::int32_t IC : settings.IC)
    for (std::int32_t EVERY : settings.EVERY)
      for (Start START : settings.START)
        for (std::int32_t observers : settings.OBSERVERS)
          for (Allocation allocation : settings.ALLOCATION) {
            Design d{static_cast<std::int32_t>(designs.size()), IC, EVERY, START, observers, allocation, {}, {}};
            d.skipped = whyNot(settings, d);
            designs.push_back(d);
          }
  addPilotDesigns(settings, designs);
  return designs;
}

const std::vector<double>& densityOf(const SearchSettings& settings, const Scenario& scenario) {
  if (scenario.pilot >= 0) return settings.pilots[static_cast<std::size_t>(scenario.pilot)].density;
  return settings.densities[static_cast<std::size_t>(scenario.density)];
}

ScenarioSetup setUpScenario(const SearchSettings& settings, std::int32_t index) {
  requireValid(settings);
  const std::int64_t scenarios = scenarioCount(settings);
  if (index < 0 || index >= scenarios) {
    throw text::RunTimeError("design search: there is no scenario " + std::to_string(index + 1) + " of " +
                             std::to_string(scenarios));
  }
  ScenarioSetup setup;
  setup.scenario = scenarioAt(settings, index);
  engine::SimulationParameters& p = setup.parameters;
  p.NTR = settings.NTR;
  p.IC = 1;  // the grid does not depend on it; every design counts with its own
  p.NN = setup.scenario.NN;
  p.IHR = setup.scenario.IHR;
  p.MIN = setup.scenario.MIN;
  p.STDDEV = setup.scenario.STDDEV;
  p.KSW = setup.scenario.KSW;
  p.IREP = settings.IREP;
  p.JX = static_cast<std::int32_t>(entry::madeOdd(settings.JX));
  const Pilot* pilot = setup.scenario.pilot >= 0 ? &settings.pilots[static_cast<std::size_t>(setup.scenario.pilot)]
                                                 : nullptr;
  if (pilot) {
    setup.table = engine::userTable(pilot->table.hourMarks, pilot->table.weights, p.IHR);
  } else if (settings.table) {
    setup.table = engine::userTable(settings.table->hourMarks, settings.table->weights, p.IHR);
  } else {
    std::int32_t hours = p.IHR;
    setup.table = engine::builtInTable(hours);
  }
  p.NTI = engine::samplingSchedule(p.IHR).NTI();
  const std::vector<double>& density = densityOf(settings, setup.scenario);
  if (!engine::evenDensity(density)) setup.strips = engine::WeightedStrips(density, settings.NTR);
  return setup;
}

double expectedDraws(const SearchSettings& settings, const Scenario& scenario) {
  const ScenarioSetup setup = setUpScenario(settings, scenario.index);
  const engine::GenerationConstants c = engine::makeGenerationConstants(setup.parameters, setup.table);
  return engine::expectedDrawsPerFemale(c, setup.table) * scenario.NN * settings.IREP;
}

bool usesFastPath(const SearchSettings& settings, const Scenario& scenario) {
  return engine::evenDensity(densityOf(settings, scenario));
}

}  // namespace arribada::design
