#include "design/scenario_setup.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>

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
  std::vector<SpecFault> take() { return std::move(faults_); }

 private:
  std::vector<SpecFault> faults_;
};

bool finite(double value) { return std::isfinite(value) && std::fabs(value) <= 1.0e30; }

void checkBeach(const DesignSpec& spec, Faults& faults) {
  if (spec.NTR < 1 || spec.NTR > engine::kMaxStrips) {
    faults.add("NTR", "NTR = " + std::to_string(spec.NTR) + " is not a number of strips from 1 to " +
                          std::to_string(engine::kMaxStrips) + " (required)");
  }
  if (spec.densities.empty()) faults.add("DENSITY", "needs at least one density (an empty one is the even beach)");
  for (std::size_t d = 0; d < spec.densities.size(); ++d) {
    const std::vector<double>& density = spec.densities[d];
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

void checkTable(const DesignSpec& spec, Faults& faults) {
  const bool anyShort = std::any_of(spec.IHR.begin(), spec.IHR.end(),
                                    [](std::int32_t IHR) { return IHR < engine::kShortestBuiltInArribada; });
  if (anyShort && spec.IHR.size() > 1) {
    faults.add("IHR", "an arribada under 18 hours takes its own nesting-time table, so it must be the only IHR");
    return;
  }
  const bool shortArribada = anyShort;
  if (!spec.table) {
    if (shortArribada && spec.IHR[0] >= 2) {
      faults.add("TABLE_HOURS", "an arribada under 18 hours needs its nesting-time table: TABLE_HOURS and TABLE_WEIGHTS");
    }
    return;
  }
  const ShortTable& t = *spec.table;
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
  if (static_cast<std::int32_t>(t.hourMarks.back()) != spec.IHR[0]) {
    faults.add("TABLE_HOURS", "needs a last hour mark whose whole part is IHR = " + std::to_string(spec.IHR[0]));
  }
  double sum = 0.0;
  for (float w : t.weights) {
    if (!finite(w) || w < 0.0f) faults.add("TABLE_WEIGHTS", "needs weights of 0 or more");
    sum += w;
  }
  if (!(sum > 0.0)) faults.add("TABLE_WEIGHTS", "needs some weight above 0");
}

void checkArribadas(const DesignSpec& spec, Faults& faults) {
  faults.eachValue("NN", spec.NN, [](std::int32_t v) { return v >= 1; }, "a number of females of 1 or more (required)");
  faults.eachValue("IHR", spec.IHR, [](std::int32_t v) { return v >= 2 && v <= kLongestArribada; },
                   "a length in hours from 2 to " + std::to_string(kLongestArribada));
  faults.eachValue("MIN", spec.MIN, [](float v) { return finite(v) && v > 0.0f; }, "a number of minutes above 0");
  faults.eachValue("STDDEV", spec.STDDEV, [](float v) { return finite(v) && v >= 0.0f; },
                   "a standard deviation in hours of 0 or more");
  faults.eachValue("KSW", spec.KSW, [](std::int32_t v) { return engine::decodeLaw(v).has_value(); },
                   "a law: 1 normal, 2 Poisson, 3 uniform");
  checkTable(spec, faults);
  if (spec.IREP < 1 || spec.IREP > engine::kMaxReplicates) {
    faults.add("IREP", "IREP = " + std::to_string(spec.IREP) + " is not a number of replicates from 1 to " +
                           std::to_string(engine::kMaxReplicates));
  }
  if (!entry::isValidSeed(entry::madeOdd(spec.JX))) {
    faults.add("JX", "JX = " + std::to_string(spec.JX) + " is not a starting value from 1 to " +
                         std::to_string(engine::kLargestSeed) + " once made odd");
  }
}

void checkDesigns(const DesignSpec& spec, Faults& faults) {
  faults.eachValue("IC", spec.IC, [](std::int32_t v) { return v >= 1; }, "a number of strips of 1 or more (required)");
  faults.eachValue("EVERY", spec.EVERY, [](std::int32_t v) { return v >= 1 && v <= engine::kMaxHours; },
                   "a whole number of hours from 1 to " + std::to_string(engine::kMaxHours));
  if (spec.START.empty()) faults.add("START", "needs at least one value (first or random)");
  const auto minutes = [&faults](const std::string& name, double value) {
    if (!finite(value) || value < 0.0) faults.add(name, name + " needs a number of minutes of 0 or more (required)");
  };
  minutes("ROUND_MINUTES", spec.ROUND_MINUTES);
  minutes("STRIP_MINUTES", spec.STRIP_MINUTES);
  if (!finite(spec.TARGET_CV) || !(spec.TARGET_CV > 0.0)) {
    faults.add("TARGET_CV", "TARGET_CV needs a relative error above 0, for example 0.10 (required)");
  }
  if (!finite(spec.TARGET_COVERAGE) || !(spec.TARGET_COVERAGE > 0.0 && spec.TARGET_COVERAGE < 1.0)) {
    faults.add("TARGET_COVERAGE", "TARGET_COVERAGE needs a proportion between 0 and 1, for example 0.95");
  }
}

void requireValid(const DesignSpec& spec) {
  const std::vector<SpecFault> faults = validateSpec(spec);
  if (faults.empty()) return;
  std::string text = "design search: the design cannot run:";
  for (const SpecFault& fault : faults) text += "\n  " + fault.name + ": " + fault.message;
  throw text::RunTimeError(text);
}

std::string realText(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

}  // namespace

std::vector<SpecFault> validateSpec(const DesignSpec& spec) {
  Faults faults;
  checkBeach(spec, faults);
  checkArribadas(spec, faults);
  checkDesigns(spec, faults);
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

std::vector<Scenario> listScenarios(const DesignSpec& spec) {
  requireValid(spec);
  std::vector<Scenario> scenarios;
  for (std::int32_t NN : spec.NN)
    for (std::int32_t IHR : spec.IHR)
      for (float MIN : spec.MIN)
        for (float STDDEV : spec.STDDEV)
          for (std::int32_t KSW : spec.KSW)
            for (std::size_t d = 0; d < spec.densities.size(); ++d) {
              Scenario s{static_cast<std::int32_t>(scenarios.size()), NN, IHR, MIN, STDDEV, KSW,
                         static_cast<std::int32_t>(d), densityLabel(spec.densities[d])};
              if (IHR >= engine::kShortestBuiltInArribada) s.IHR = engine::roundToTwelve(IHR);
              scenarios.push_back(s);
            }
  return scenarios;
}

std::vector<Design> listDesigns(const DesignSpec& spec) {
  requireValid(spec);
  std::vector<Design> designs;
  for (std::int32_t IC : spec.IC)
    for (std::int32_t EVERY : spec.EVERY)
      for (Start START : spec.START) {
        Design d{static_cast<std::int32_t>(designs.size()), IC, EVERY, START, {}};
        if (IC > spec.NTR) {
          d.skipped = "IC = " + std::to_string(IC) + " is more strips than the beach's NTR = " + std::to_string(spec.NTR);
        } else if (spec.NTR % IC != 0) {
          d.skipped = "IC = " + std::to_string(IC) + " does not divide NTR = " + std::to_string(spec.NTR) +
                      " into a systematic sample";
        }
        designs.push_back(d);
      }
  return designs;
}

ScenarioSetup setUpScenario(const DesignSpec& spec, std::int32_t index) {
  const std::vector<Scenario> scenarios = listScenarios(spec);
  if (index < 0 || index >= static_cast<std::int32_t>(scenarios.size())) {
    throw text::RunTimeError("design search: there is no scenario " + std::to_string(index + 1) + " of " +
                             std::to_string(scenarios.size()));
  }
  ScenarioSetup setup;
  setup.scenario = scenarios[static_cast<std::size_t>(index)];
  engine::SimulationParameters& p = setup.parameters;
  p.NTR = spec.NTR;
  p.IC = 1;  // the grid does not depend on it; every design counts with its own
  p.NN = setup.scenario.NN;
  p.IHR = setup.scenario.IHR;
  p.MIN = setup.scenario.MIN;
  p.STDDEV = setup.scenario.STDDEV;
  p.KSW = setup.scenario.KSW;
  p.IREP = spec.IREP;
  p.JX = static_cast<std::int32_t>(entry::madeOdd(spec.JX));
  if (spec.table) {
    setup.table = engine::userTable(spec.table->hourMarks, spec.table->weights, p.IHR);
  } else {
    std::int32_t hours = p.IHR;
    setup.table = engine::builtInTable(hours);
  }
  p.NTI = engine::samplingSchedule(p.IHR).NTI();
  const std::vector<double>& density = spec.densities[static_cast<std::size_t>(setup.scenario.density)];
  if (!engine::evenDensity(density)) setup.strips = engine::WeightedStrips(density, spec.NTR);
  return setup;
}

double expectedDraws(const DesignSpec& spec, const Scenario& scenario) {
  const ScenarioSetup setup = setUpScenario(spec, scenario.index);
  const engine::GenerationConstants c = engine::makeGenerationConstants(setup.parameters, setup.table);
  return engine::expectedDrawsPerFemale(c, setup.table) * scenario.NN * spec.IREP;
}

bool usesFastPath(const DesignSpec& spec, const Scenario& scenario) {
  return engine::evenDensity(spec.densities[static_cast<std::size_t>(scenario.density)]);
}

}  // namespace arribada::design
