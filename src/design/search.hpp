#pragma once
// The design search: which survey design (strips counted, hours between
// counting rounds, where the systematic sample starts) is the cheapest that
// gives the precision asked for, on the arribadas expected.
//
// The calls, in the order a caller makes them:
//
//   SearchSettings settings = ...;                   // from values, or parseDesignFile (design_file.hpp)
//   validateSettings(settings)                       // every fault, each naming its argument; empty when runnable
//   listScenarios(settings), listDesigns(settings)   // what will run; skipped designs carry their reason
//   runScenario(settings, s, progress)               // ONE scenario, s = 0 ... scenarios - 1
//   combineResults(settings, results)                // the table of designs x scenarios and the recommendation
//
// Every scenario is one random stream from JX, as an ordinary simulation job
// is, so a scenario's result does not depend on which process or machine ran
// it, nor on the others: a cluster may run one scenario per task and combine
// the results afterwards. Within a scenario replicate r of every design
// counts the same synthetic arribada (common random numbers): the count grid
// is built once per replicate and every design counts it. With EVERY 2, an
// even beach and the first-strip start a design's replicates are, bit for
// bit, those of an ordinary job with the same parameters and JX.
//
// Nothing here writes to the console; faults are thrown as
// text::RunTimeError (settings that validateSettings refuses, or a stop by the
// progress callback's exception, which passes through unchanged).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/estimate.hpp"
#include "engine/parameters.hpp"
#include "engine/simulation.hpp"

namespace arribada::design {

// The starting value when the design file gives none: one fixed value for
// every scenario and design (the default simulation's starting value).
inline constexpr std::int32_t kDefaultJX = 762500001;

// A design is judged against the targets only on at least this many
// independent replicates: with fewer the normal approximation behind the
// coverage's standard error fails near a target of 0.95 (fewer than 5
// expected misses), and a design's verdict would rest on luck.
inline constexpr std::int32_t kMinJudgedReplicates = 100;

// Where the systematic sample of strips starts: strip 1 (the program's own
// rule), or a strip drawn per replicate as a field team would draw it.
enum class Start { first, random };

// A nesting-time table for a short arribada (IHR under 18), or one made from
// a pilot survey's counts: rising hour marks, the last one's whole part being
// IHR, and a weight per interval.
struct ShortTable {
  std::vector<float> hourMarks;
  std::vector<float> weights;
};

// A pilot survey as the values of a scenario (design/pilot.hpp reads one from
// its file; docs/method.md states each mapping and its limits).
struct Pilot {
  std::string file;                          // as the design file names it
  double estimate = 0.0;                     // the survey's estimate of the females: NN at NN_FACTOR 1
  std::int32_t IHR = 0;                      // the whole part of its HOURS
  float MIN = 0.0f;                          // its MEANT, minutes
  ShortTable table;                          // one interval per sampling time, weighted by its counts
  std::vector<double> density;               // one relative density per strip of the design's NTR
  std::vector<std::int32_t> transectStrips;  // each transect's strip, in column order
  bool stripsGiven = false;                  // from the survey's STRIPS line; else evenly spread
  std::optional<std::int32_t> EVERY;         // its hours between counts, when a whole number
  double areaRatio = 0.0;                    // C: its sample area over the nesting area
  std::optional<double> cv;                  // its own estimate's CV (its variance), when it has one
};

// The law of the nesting times in a pilot's scenario: uniform within each
// interval. Its intervals are as long as the time between the pilot's counts,
// and counts say nothing of the shape within one; the normal law would pile
// the females at each interval's middle, the very hour a design counts.
inline constexpr std::int32_t kPilotLaw = 3;

// How a design spreads its IC strips over the beach: one systematic sample
// of the whole beach, or a systematic sample in each stretch of the
// scenario's density with more strips where the counts vary most (Neyman
// allocation), estimated stratum by stratum.
enum class Allocation { even, density };

// Everything a search needs, as plain values. Lists give every combination:
// the scenarios are NN x IHR x MIN x STDDEV x KSW x densities x COUNT_CV,
// then for each pilot NN_FACTOR x COUNT_CV (with kPilotLaw); the designs
// IC x EVERY x START x OBSERVERS x ALLOCATION, then each pilot's own design
// (even allocation, with every START and OBSERVERS) when it fits NTR and is
// not among them. An empty density is the even beach; NN may be empty when
// there are pilots.
struct SearchSettings {
  // The beach.
  std::int32_t NTR = 0;
  std::vector<std::vector<double>> densities{{}};  // relative density of equal sections, end to end
  // The arribadas expected (defaults as the parameter file's).
  std::vector<std::int32_t> NN;
  std::vector<std::int32_t> IHR{60};
  std::vector<float> MIN{5.0f};
  std::vector<float> STDDEV{2.0f};
  std::vector<std::int32_t> KSW{1};
  std::optional<ShortTable> table;  // only with a single IHR under 18
  std::vector<Pilot> pilots;
  std::vector<double> NN_FACTOR{1.0};  // scales each pilot's estimate
  std::int32_t IREP = 100;
  std::int32_t JX = kDefaultJX;
  // The designs.
  std::vector<std::int32_t> IC;
  std::vector<std::int32_t> EVERY{2};
  std::vector<Start> START{Start::first};
  // The cost of a design: minutes to walk one counting round, whatever is
  // counted, and minutes to count one strip.
  double ROUND_MINUTES = -1.0;
  double STRIP_MINUTES = -1.0;
  // The precision asked for: relative RMSE at most TARGET_CV, coverage not
  // significantly short of TARGET_COVERAGE.
  double TARGET_CV = -1.0;
  double TARGET_COVERAGE = 0.95;
  // The crew, the effort's placement and the counts' error (each default
  // leaves the search as it was without them).
  std::vector<std::int32_t> OBSERVERS{1};            // a design dimension: observers sharing a round
  double WALK_MINUTES = 0.0;                         // minutes to walk from one strip to its neighbour
  std::vector<Allocation> ALLOCATION{Allocation::even};  // a design dimension
  std::vector<double> COUNT_CV{0.0};                 // a scenario dimension: each count's error CV
};

// One fault of the settings: the argument's name as the design file spells it
// (NTR, DENSITY, TARGET_CV, ...) and what is wrong with it.
struct SettingsFault {
  std::string name;
  std::string message;
  std::int32_t item = -1;  // DENSITY: which density (0-based); -1 for the argument as a whole
};

// Every fault of the settings, in the order of the arguments; empty when it can run.
std::vector<SettingsFault> validateSettings(const SearchSettings& settings);

// One arribada to expect: a combination of the settings' lists.
struct Scenario {
  std::int32_t index = 0;  // 0-based, in the order listScenarios gives
  std::int32_t NN = 0;
  std::int32_t IHR = 0;  // as run: from 18 hours on the built-in table rounds it to a multiple of 12
  float MIN = 0.0f;
  float STDDEV = 0.0f;
  std::int32_t KSW = 0;
  std::int32_t density = 0;  // index into settings.densities; -1 for a pilot's scenario
  std::string densityLabel;  // "even", the weights joined by '/' ("1/4/1"), or "pilot FILE"
  double countCV = 0.0;      // the counts' error, from COUNT_CV
  std::int32_t pilot = -1;   // index into settings.pilots, or -1
  double NN_FACTOR = 1.0;    // a pilot's: NN is its estimate times this, rounded
};

// One way of counting the beach, and whether the program can run it.
struct Design {
  std::int32_t index = 0;
  std::int32_t IC = 0;
  std::int32_t EVERY = 0;
  Start START = Start::first;
  std::int32_t observers = 1;
  Allocation allocation = Allocation::even;
  std::string skipped;  // why it cannot run (IC not dividing NTR, ...); empty when it runs
  std::string pilot;    // the pilot survey that counted this way (its file), or empty
};

// The combinations, scenario 0 first; settings that validateSettings refuses are
// refused with a RunTimeError listing their faults.
std::vector<Scenario> listScenarios(const SearchSettings& settings);
// How many scenarios valid settings give, and scenario `index` of them
// (0 <= index < scenarioCount), found without listing the others.
std::int64_t scenarioCount(const SearchSettings& settings);
Scenario scenarioAt(const SearchSettings& settings, std::int32_t index);
std::vector<Design> listDesigns(const SearchSettings& settings);
// The label of a density: "even" for an empty or constant one.
std::string densityLabel(const std::vector<double>& density);

// The draws a scenario is expected to take (females x expected draws per female x replicates),
// for the flag before a run against engine::kStreamPeriod.
double expectedDraws(const SearchSettings& settings, const Scenario& scenario);
// Whether the scenario's grids are built by the fast path (an even beach)
// or the plain one (an uneven beach), for the run's time estimate.
bool usesFastPath(const SearchSettings& settings, const Scenario& scenario);

// How a design did in one scenario. Each measure with a Monte Carlo standard
// error has it beside (…SE); the errors use the independent replicates.
struct DesignMeasures {
  std::int32_t replicates = 0;  // completed
  double meanEstimate = 0.0, meanEstimateSE = 0.0;
  double percentBias = 0.0, percentBiasSE = 0.0;
  double cv = 0.0, cvSE = 0.0;      // sd of the estimates / NN
  double rmse = 0.0, rmseSE = 0.0;  // root mean squared error, in females
  std::int32_t misses = 0;          // intervals that miss NN
  std::optional<double> coverage, coverageSE;  // none without replicates or without a variance (one strip)
  // The coverage of the log-normal interval MHAT / F ... MHAT x F, F = exp(2 sqrt(ln(1 + VARTI / MHAT^2))).
  std::optional<double> coverageLogNormal, coverageLogNormalSE;
  // The coverage of MHAT -+ 2 sqrt(v) for each variance estimate v.
  std::optional<double> coverageVARM, coverageVARMSE, coverageVARTR, coverageVARTRSE, coverageVARTI, coverageVARTISE;
  double halfWidthPercent = 0.0, halfWidthPercentSE = 0.0;  // mean 2 sqrt(VARTI) as % of NN
};

// A design's cost in a scenario and its verdict.
struct DesignCost {
  std::int32_t rounds = 0;  // counting times
  double observerHours = 0.0;  // rounds x observers x roundMinutes / 60
  bool feasible = false;  // a round fits in EVERY hours
  double roundMinutes = 0.0;  // a round's elapsed time, the crew sharing it
};

// A round longer than this is no longer an instantaneous count: the
// simulation reads each strip's count of one hour, and a round spread over
// more than an hour blurs the nesting curve the estimate assumes.
inline constexpr double kLongestInstantRoundMinutes = 60.0;

struct DesignOutcome {
  Design design;
  std::string skipped;  // why it cannot run in this scenario (the design's reason, or too few counting times)
  DesignCost cost;
  std::vector<engine::ReplicateEstimate> replicates;  // replicate 1 first; empty for a skipped design
  DesignMeasures measures;
  bool judged = false;  // run on at least kMinJudgedReplicates independent replicates
  bool meetsTargets = false;
};

struct ScenarioResult {
  Scenario scenario;
  std::int32_t replicates = 0;             // completed (fewer than IREP after a stop)
  std::int32_t independentReplicates = 0;  // completed before the stream's draws reached its period
  bool stopped = false;
  std::vector<DesignOutcome> designs;  // listDesigns order
  std::string warning;                 // about the scenario's own figures; empty when none
};

// The hours at which the normal law's clamp at three standard deviations
// tallies every female drawn beyond them (a whole hour within her window of
// the clamped time); empty for the other laws.
std::vector<std::int32_t> clampedHours(const SearchSettings& settings, std::int32_t scenario);

// Called from the calling thread after every replicate; returns whether to
// go on. It may throw instead (an R interrupt): the scenario's threads are
// stopped and the exception passes through.
struct Progress {
  std::int32_t scenario = 0;
  std::int32_t replicate = 0;  // just completed, from 1
  std::int32_t replicates = 0;  // IREP
};
enum class Continue { yes, stop };
using ProgressCallback = std::function<Continue(const Progress&)>;

// Runs scenario `index` (0-based) of valid settings; `engine` picks the grid
// builder (the fast path by default; an uneven beach always takes the plain one).
ScenarioResult runScenario(const SearchSettings& settings, std::int32_t index, const ProgressCallback& progress = {},
                           const engine::EngineOptions& engine = {});

// The measures and the verdict of every design that ran in `result`, from
// its replicates: what runScenario ends with, and what a task's part read
// back (part.hpp) is completed with.
void measureScenario(const SearchSettings& settings, ScenarioResult& result);

// The table of designs x scenarios and the recommendation.
struct DesignRow {
  const ScenarioResult* scenario = nullptr;
  const DesignOutcome* outcome = nullptr;
  bool recommended = false;
};

struct Recommendation {
  // The cheapest feasible design meeting the targets in every scenario (cost
  // = its largest observer-hours over the scenarios; ties to the lower
  // worst-case relative RMSE, then fewer strips).
  std::optional<std::int32_t> design;
  // When none meets them: the design with the smallest worst shortfall, and
  // that shortfall (the larger of the relative RMSE's excess over TARGET_CV
  // and the coverage's shortfall, each relative to its target).
  std::optional<std::int32_t> closest;
  double shortfall = 0.0;
  std::string text;  // one line for people
};

struct SearchResult {
  std::vector<DesignRow> rows;  // sorted by cost (worst case), then design, then scenario
  Recommendation recommendation;
  std::vector<double> worstCost;  // by design index; 0 for a skipped design
};

// Combines the results of every scenario of `settings` (any order); the results
// must outlive the SearchResult, whose rows point into them.
SearchResult combineResults(const SearchSettings& settings, const std::vector<ScenarioResult>& results);

}  // namespace arribada::design
