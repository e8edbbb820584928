#pragma once
// One simulation job from its nine values: the program's parameter-file
// reader checks them (the same ranges and messages), the engine runs the
// replicates, and the results come back as the results folder's rows and
// texts. See api.hpp for the contract.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "api/values.hpp"

namespace arribada::api {

// The nine values, as numbers a host holds (each checked to be a whole
// number where the program wants one); the defaults are the dialogue's.
struct SimulationValues {
  double NTR = 10;
  double IC = 5;
  double NN = 50000;
  double IHR = 60;  // with a table: its number of rows, as a parameter file gives it
  double MIN = 5;
  double IREP = 100;
  double STDDEV = 2;
  double KSW = 1;
  // None: the keyboard dialogue's default (dialogueDefaultJX); 0: the
  // parameter file's rule; any other value is the starting value (made odd).
  std::optional<double> JX;
  // A short arribada's nesting-time table: the hours at which its intervals
  // end and their weights (1 to 17 rows); empty for the built-in table.
  std::vector<double> tableHours;
  std::vector<double> tableWeights;
};

// The report's summary figures.
struct SimulationFigures {
  double averageEstimate = 0.0;     // AVERAGE ESTIMATED POPULATION SIZE
  double averageVARM = 0.0;         // the average of each variance estimate
  double averageVARTR = 0.0;
  double averageVARTI = 0.0;
  double empiricalVariance = 0.0;   // EMPIRICAL VARIANCE
  std::int32_t misses = 0;          // intervals that miss NN (OUT OF IREP TIMES)
  std::int32_t replicates = 0;      // IREP
};

struct Simulation {
  SimulationFigures figures;
  std::int32_t JX = 0;                  // the starting value used
  std::int32_t IHR = 0;                 // the arribada's length as run (rounded)
  results::NamedRow summary;            // summary.csv's row (job 1, no title)
  Rows replicates;                      // replicates.csv's rows
  std::vector<double> tableHours;       // the nesting-time table used: interval end hours
  std::vector<double> tableCumulative;  // and the share of the females nested by then
  std::string summaryCsv;               // summary.csv
  std::string replicatesCsv;            // replicates.csv
  std::string histogramSvg;             // simulation-1.svg: the estimates' histogram
};

// Called after replicate `done` (from 1); may throw to abandon the job.
using ReplicateProgress = std::function<void(std::int32_t done)>;

// Runs the job. Values the parameter-file reader refuses, a default JX
// that cannot be formed (dialogueDefaultJX is empty) and values that stop
// the program (NTR, IHR below 1, KSW outside 1 to 3) are refusals, in the
// reader's words, naming `caller` where it would name the file.
Simulation runSimulation(const SimulationValues& values, const EngineChoice& engine = {},
                         const ReplicateProgress& progress = {}, const std::string& caller = "the simulation");

// The keyboard dialogue's default JX for these values, NN x (IHR + 1) x NTR
// x IC x MIN made odd, IHR rounded as the job runs it; none when it leaves
// the generator's range or the values are not the program's.
std::optional<std::int32_t> dialogueDefaultJX(const SimulationValues& values);

}  // namespace arribada::api
