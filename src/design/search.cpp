#include "design/search.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

#include "design/effort.hpp"
#include "design/measures.hpp"
#include "design/scenario_setup.hpp"
#include "engine/counts.hpp"
#include "engine/random.hpp"
#include "engine/real.hpp"
#include "results/csv.hpp"
#include "text/channels.hpp"
#include "text/errors.hpp"

namespace arribada::design {
namespace {

// The random start's generator is the main one's kind, seeded with the state
// half a period ahead of JX: 16807^((P - 1) / 2) = -1 mod P, so that state
// is P - JX. The main stream reaches it only after half a period of draws.
std::int32_t startSeed(std::int32_t JX) { return engine::kRandomModulus - JX; }

// The first strip of a random start from the replicate's draw u in (0, 1].
std::int32_t randomStart(float u, std::int32_t IT) {
  const auto start = 1 + static_cast<std::int32_t>(std::floor(engine::wide(u) * IT));
  return std::min(IT, start);
}

// A design as it counts in one scenario: one systematic sample (even
// allocation) or a sample in each stratum (density allocation).
struct Counter {
  engine::SamplingPlan plan;
  engine::EstimateConstants constants;
  std::vector<Stratum> strata;
};

// Why counts every EVERY hours cannot serve an arribada of IHR hours with
// the nesting-time table `table`; empty when they can. Each count stands for
// its share of the arribada, EVERY hours: the shares must add up to the
// arribada, and none may straddle two intervals of the table (a count on one
// side of the boundary would stand for hours of the other interval's activity).
// A pilot's table is exempt from the last rule: its steps are the resolution
// of the pilot's counts, standing for a curve that changes all the time, and
// what counting less often than the pilot did costs is what the search must show.
std::string scheduleFault(std::int32_t IHR, std::int32_t EVERY, const engine::SamplingSchedule& schedule,
                          const engine::NestingTable& table, bool pilotCurve) {
  const std::string every = "EVERY = " + std::to_string(EVERY);
  const std::string hours = std::to_string(IHR) + " hours";
  if (schedule.NT1 < 2) {
    return every + " leaves " + std::to_string(schedule.NT1) + " counting time in an arribada of " + hours +
           " (2 are needed)";
  }
  if (!engine::coversArribadaEvenly(IHR, EVERY)) {
    return every + " does not divide the arribada's " + hours + ": " + std::to_string(schedule.NT1) + " counts x " +
           std::to_string(EVERY) + " h = " + std::to_string(schedule.NT1 * EVERY) +
           " h, so the estimate would be the schedule's as much as the arribada's";
  }
  for (std::int32_t i = 0; !pilotCurve && i + 1 < table.KK; ++i) {
    const float boundary = table.UINT[static_cast<std::size_t>(i)];
    if (std::fmod(double{boundary}, EVERY) != 0.0) {
      return every + " would give a count the hours on both sides of hour " + results::shortestReal(boundary) +
             ", where the nesting-time table passes from one interval to the next: the estimate would be the "
             "schedule's as much as the arribada's";
    }
  }
  return {};
}

// The warning for designs whose counting hours take in the clamp's hours.
std::string clampWarning(const std::vector<std::int32_t>& clamped, const std::vector<DesignOutcome>& designs) {
  std::vector<std::int32_t> hit;
  std::vector<std::int32_t> every;
  for (const DesignOutcome& o : designs) {
    if (!o.skipped.empty() || std::find(every.begin(), every.end(), o.design.EVERY) != every.end()) continue;
    const engine::SamplingSchedule schedule{o.design.EVERY, o.cost.rounds};
    bool counted = false;
    for (std::int32_t n = 1; n <= schedule.NT1; ++n) {
      if (std::find(clamped.begin(), clamped.end(), schedule.hourOf(n)) == clamped.end()) continue;
      counted = true;
      if (std::find(hit.begin(), hit.end(), schedule.hourOf(n)) == hit.end()) hit.push_back(schedule.hourOf(n));
    }
    if (counted) every.push_back(o.design.EVERY);
  }
  if (every.empty()) return {};
  std::sort(hit.begin(), hit.end());
  return "the normal law puts every female drawn beyond 3 standard deviations on hour(s) " + text::numberList(hit) +
         ", counted every " + text::numberList(every) +
         " h: those designs' bias and coverage include that pile (docs/limits.md)";
}

// The warning for designs counting a pilot's curve at another interval than
// its steps: they meet the steps at other phases than the pilot's counts did,
// and part of their bias can be the steps' (docs/method.md measures it).
std::string pilotStepWarning(const engine::NestingTable& table, const std::vector<DesignOutcome>& designs) {
  if (table.KK < 1) return {};
  const float step = table.UINT[0];
  std::vector<std::int32_t> every;
  for (const DesignOutcome& o : designs) {
    if (!o.skipped.empty() || static_cast<float>(o.design.EVERY) == step) continue;
    if (std::find(every.begin(), every.end(), o.design.EVERY) == every.end()) every.push_back(o.design.EVERY);
  }
  if (every.empty()) return {};
  std::sort(every.begin(), every.end());
  return "the pilot's nesting curve steps every " + results::shortestReal(step) + " h; designs counting every " +
         text::numberList(every) + " h meet its steps at other phases than its counts did, and part of their bias may be the "
         "steps' (docs/method.md)";
}

// The warning for a MIN that looks like seconds: above four hours of egg-laying activity.
std::string secondsWarning(const Scenario& s) {
  constexpr float kMostLikelyMinutes = 240.0f;
  if (!(s.MIN > kMostLikelyMinutes)) return {};
  return "MIN = " + results::shortestReal(s.MIN) + " is above " + results::shortestReal(kMostLikelyMinutes) +
         " minutes of egg-laying activity: MIN is in minutes (" + results::shortestReal(s.MIN) + " seconds would be " +
         results::shortestReal(s.MIN / 60.0f) + ")";
}

// Both warnings of a scenario, on one line.
std::string joinedWarnings(const std::string& first, const std::string& second) {
  return first.empty() || second.empty() ? first + second : first + "; " + second;
}

// Why a density allocation cannot place the design's strips on these stretches; empty when it can.
std::string allocationFault(const Design& d, const std::vector<Stretch>& stretches) {
  if (d.allocation != Allocation::density || d.IC >= leastDensityStrips(stretches)) return {};
  return "ALLOCATION = density needs 2 strips in each of the density's " + std::to_string(stretches.size()) +
         " stretches, " + std::to_string(leastDensityStrips(stretches)) + " in all, more than IC = " +
         std::to_string(d.IC);
}

Counter counterOf(const Design& d, const engine::SimulationParameters& p, const engine::SamplingSchedule& schedule,
                  const std::vector<Stretch>& stretches) {
  engine::SimulationParameters withIC = p;
  withIC.IC = d.IC;
  Counter counter{engine::makeSamplingPlan(withIC, schedule), engine::makeEstimateConstants(withIC, schedule), {}};
  if (d.allocation == Allocation::density) {
    const std::vector<std::int32_t> n = neymanAllocation(stretches, d.IC);
    for (std::size_t h = 0; h < n.size(); ++h) {
      engine::SimulationParameters stratum = p;
      stratum.NTR = stretches[h].strips();
      stratum.IC = n[h];
      counter.strata.push_back({stretches[h], n[h], engine::makeEstimateConstants(stratum, schedule)});
    }
  }
  return counter;
}

// One replicate's estimate by a design from the grid and the start's draw u.
engine::ReplicateEstimate countReplicate(const engine::CountGrid& grid, Counter& counter, const Design& d, float u,
                                         engine::SampleWork& work, text::RecordSink& quiet) {
  const float draw = d.START == Start::random ? u : 0.0f;
  if (d.allocation == Allocation::density) {
    return stratifiedEstimate(grid, counter.strata, counter.plan.schedule, draw, work);
  }
  counter.plan.firstStrip = d.START == Start::random ? randomStart(u, counter.plan.IT) : 1;
  return engine::estimateReplicate(engine::countSample(grid, counter.plan, work, quiet), counter.constants, quiet);
}

}  // namespace

std::vector<std::int32_t> clampedHours(const ScenarioSetup& setup) {
  std::vector<std::int32_t> hours;
  const engine::GenerationConstants c = engine::makeGenerationConstants(setup.parameters, setup.table);
  if (c.law != engine::NestingLaw::normal) return hours;
  for (std::int32_t i = 0; i < c.KK; ++i) {
    const engine::IntervalShape& shape = c.intervals[static_cast<std::size_t>(i)];
    for (const float Z : {-3.0f, 3.0f}) {
      const float TIME = engine::normalTime(shape.STUD, Z, shape.MEANT);
      const double hour = std::trunc(engine::wide(TIME) + 0.5);
      if (hour < 0.0 || hour >= c.hours || !engine::withinWindow(TIME, static_cast<float>(hour), c.DIV)) continue;
      hours.push_back(static_cast<std::int32_t>(hour));
    }
  }
  return hours;
}

std::vector<std::int32_t> clampedHours(const SearchSettings& settings, std::int32_t scenario) {
  return clampedHours(setUpScenario(settings, scenario));
}

ScenarioResult runScenario(const SearchSettings& settings, std::int32_t index, const ProgressCallback& progress,
                           const engine::EngineOptions& engineOptions) {
  const ScenarioSetup setup = setUpScenario(settings, index);
  const engine::SimulationParameters& p = setup.parameters;
  ScenarioResult result;
  result.scenario = setup.scenario;
  const std::vector<Stretch> stretches =
      densityStretches(densityOf(settings, setup.scenario), settings.NTR);
  std::vector<Counter> counters;
  for (const Design& d : listDesigns(settings)) {
    DesignOutcome outcome{d, d.skipped, {}, {}, {}, false};
    const engine::SamplingSchedule schedule = engine::samplingSchedule(p.IHR, d.EVERY);
    if (outcome.skipped.empty()) outcome.skipped = scheduleFault(p.IHR, d.EVERY, schedule, setup.table, setup.scenario.pilot >= 0);
    if (outcome.skipped.empty()) outcome.skipped = allocationFault(d, stretches);
    const double minutes = outcome.skipped.empty()
                               ? roundMinutes(settings, d.observers, sampledStrips(d, settings.NTR, stretches, 0.0f))
                               : settings.ROUND_MINUTES + d.IC * settings.STRIP_MINUTES;
    outcome.cost = crewCost(schedule.NT1, d.observers, minutes, d.EVERY);
    if (outcome.skipped.empty()) {
      outcome.replicates.reserve(static_cast<std::size_t>(settings.IREP));
      counters.push_back(counterOf(d, p, schedule, stretches));
    } else {
      counters.push_back({});
    }
    result.designs.push_back(std::move(outcome));
  }

  text::DiscardingSink quiet;  // the engine's diagnostic lines ("MHAT=", redraws) have no report here
  engine::SimulationJob job(p, setup.table, engineOptions, setup.strips);
  engine::SampleWork work;
  std::int32_t startIX = startSeed(p.JX);
  std::optional<CountError> countError;
  engine::CountGrid erred(settings.NTR, 1);
  if (setup.scenario.countCV > 0.0) countError.emplace(setup.scenario.countCV, p.JX);
  for (std::int32_t L = 1; L <= settings.IREP; ++L) {
    const engine::CountGrid* grid = &job.buildGrid(quiet);
    if (countError) {
      countError->apply(*grid, erred);
      grid = &erred;
    }
    const float u = engine::RANDOM(startIX, quiet);
    for (std::size_t i = 0; i < counters.size(); ++i) {
      DesignOutcome& outcome = result.designs[i];
      if (!outcome.skipped.empty()) continue;
      outcome.replicates.push_back(countReplicate(*grid, counters[i], outcome.design, u, work, quiet));
    }
    result.replicates = L;
    result.independentReplicates = job.period().independentReplicates();
    if (progress && progress({index, L, settings.IREP}) == Continue::stop) {
      result.stopped = L < settings.IREP;
      break;
    }
  }
  result.warning = clampWarning(clampedHours(setup), result.designs);
  if (setup.scenario.pilot >= 0) result.warning = joinedWarnings(result.warning, pilotStepWarning(setup.table, result.designs));
  result.warning = joinedWarnings(result.warning, secondsWarning(setup.scenario));
  measureScenario(settings, result);
  return result;
}

void measureScenario(const SearchSettings& settings, ScenarioResult& result) {
  for (DesignOutcome& outcome : result.designs) {
    if (!outcome.skipped.empty()) continue;
    outcome.measures = measureDesign(outcome.replicates, result.scenario.NN, result.independentReplicates,
                                     outcome.design.IC >= 2);
    outcome.judged = std::min(result.replicates, result.independentReplicates) >= kMinJudgedReplicates;
    outcome.meetsTargets = outcome.judged && meetsTargets(outcome.measures, result.scenario.NN, settings);
  }
}

namespace {

// A design's standing over every scenario.
struct Standing {
  bool runsEverywhere = true;
  bool feasibleEverywhere = true;
  bool meetsEverywhere = true;
  bool judgedEverywhere = true;
  double worstCost = 0.0;
  double worstRelativeRmse = 0.0;
  double worstShortfall = 0.0;
};

std::vector<Standing> standings(const SearchSettings& settings, const std::vector<ScenarioResult>& results,
                                std::size_t designs) {
  std::vector<Standing> s(designs);
  for (const ScenarioResult& r : results) {
    for (const DesignOutcome& o : r.designs) {
      Standing& d = s[static_cast<std::size_t>(o.design.index)];
      if (!o.skipped.empty()) {
        d.runsEverywhere = false;
        continue;
      }
      d.feasibleEverywhere = d.feasibleEverywhere && o.cost.feasible;
      d.meetsEverywhere = d.meetsEverywhere && o.meetsTargets;
      d.judgedEverywhere = d.judgedEverywhere && o.judged;
      d.worstCost = std::max(d.worstCost, o.cost.observerHours);
      d.worstRelativeRmse = std::max(d.worstRelativeRmse, o.measures.rmse / r.scenario.NN);
      d.worstShortfall = std::max(d.worstShortfall, shortfall(o.measures, r.scenario.NN, settings));
    }
  }
  return s;
}

// Cheaper first; ties to the lower worst relative RMSE, then fewer strips.
bool better(const Standing& a, const Design& da, const Standing& b, const Design& db) {
  if (a.worstCost != b.worstCost) return a.worstCost < b.worstCost;
  if (a.worstRelativeRmse != b.worstRelativeRmse) return a.worstRelativeRmse < b.worstRelativeRmse;
  return da.IC < db.IC;
}

Recommendation recommend(const SearchSettings& settings, const std::vector<Design>& designs,
                         const std::vector<Standing>& s) {
  Recommendation r;
  for (const Design& d : designs) {
    const Standing& here = s[static_cast<std::size_t>(d.index)];
    if (!here.runsEverywhere || !here.feasibleEverywhere) continue;
    const auto beats = [&](const std::optional<std::int32_t>& best) {
      return !best || better(here, d, s[static_cast<std::size_t>(*best)], designs[static_cast<std::size_t>(*best)]);
    };
    if (!here.judgedEverywhere) continue;
    if (here.meetsEverywhere && beats(r.design)) r.design = d.index;
    if (!r.closest || here.worstShortfall < s[static_cast<std::size_t>(*r.closest)].worstShortfall) {
      r.closest = d.index;
    }
  }
  if (r.design) {
    r.closest.reset();
    r.text = "Recommended: " + designName(designs[static_cast<std::size_t>(*r.design)]) + " (" +
             fixed(s[static_cast<std::size_t>(*r.design)].worstCost, 1) +
             " observer-hours at most). It is the cheapest feasible design that meets the targets (" +
             targetsText(settings) + ") in every scenario.";
  } else if (r.closest) {
    r.shortfall = s[static_cast<std::size_t>(*r.closest)].worstShortfall;
    r.text = "No feasible design meets the targets in every scenario. The closest is " +
             designName(designs[static_cast<std::size_t>(*r.closest)]) + ", short of them by " +
             fixed(100.0 * r.shortfall, 1) + " % of a target in its worst scenario.";
  } else if (std::any_of(s.begin(), s.end(), [](const Standing& d) { return d.runsEverywhere && !d.judgedEverywhere; })) {
    r.text = "No design can be recommended: a design is judged only on " + std::to_string(kMinJudgedReplicates) +
             " independent replicates or more in every scenario (raise IREP).";
  } else {
    r.text = "No design can be recommended: none runs, and fits its rounds in the hours between them, in every scenario.";
  }
  return r;
}

}  // namespace

SearchResult combineResults(const SearchSettings& settings, const std::vector<ScenarioResult>& results) {
  const std::vector<Design> designs = listDesigns(settings);
  const std::vector<Standing> s = standings(settings, results, designs.size());
  SearchResult search;
  search.recommendation = recommend(settings, designs, s);
  for (const Standing& d : s) search.worstCost.push_back(d.runsEverywhere ? d.worstCost : 0.0);
  for (const ScenarioResult& r : results) {
    for (const DesignOutcome& o : r.designs) {
      search.rows.push_back({&r, &o, search.recommendation.design == o.design.index});
    }
  }
  std::stable_sort(search.rows.begin(), search.rows.end(), [&](const DesignRow& a, const DesignRow& b) {
    const auto da = static_cast<std::size_t>(a.outcome->design.index);
    const auto db = static_cast<std::size_t>(b.outcome->design.index);
    if (s[da].runsEverywhere != s[db].runsEverywhere) return s[da].runsEverywhere;
    if (better(s[da], designs[da], s[db], designs[db])) return true;
    if (better(s[db], designs[db], s[da], designs[da])) return false;
    if (da != db) return da < db;
    return a.scenario->scenario.index < b.scenario->scenario.index;
  });
  return search;
}

}  // namespace arribada::design
