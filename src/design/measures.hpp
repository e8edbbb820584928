#pragma once
// How a design did over a scenario's replicates, with the Monte Carlo
// standard error of every measure that has one, and the rules that judge it
// against the targets.

#include <cstdint>
#include <string>
#include <vector>

#include "design/search.hpp"
#include "engine/estimate.hpp"

namespace arribada::design {

// The measures of `replicates` of an arribada of NN females; the standard
// errors take `independent` replicates (those before the stream's period),
// and the coverages exist only `withVariance` (two strips or more).
DesignMeasures measureDesign(const std::vector<engine::ReplicateEstimate>& replicates, std::int32_t NN,
                             std::int32_t independent, bool withVariance);

// The targets' rule, the same way round for both: a design meets a target
// unless it falls short of it by more than two of its Monte Carlo standard
// errors, that is relative RMSE - 2 SE (rmse / NN) at most TARGET_CV, and
// coverage + 2 SE at least TARGET_COVERAGE. A design without a coverage
// does not meet them. Whether there were replicates enough to judge is the
// caller's (kMinJudgedReplicates).
bool meetsTargets(const DesignMeasures& m, std::int32_t NN, const SearchSettings& settings);

// How far a design falls short of the targets: the larger of the relative
// RMSE's (less 2 SE) excess over TARGET_CV and the coverage's shortfall, each relative
// to its target; 0 when it meets them, 1 without a coverage.
double shortfall(const DesignMeasures& m, std::int32_t NN, const SearchSettings& settings);

// Each target alone, as the figure draws them: the relative RMSE less 2 SE
// at most TARGET_CV; the coverage plus 2 SE at least TARGET_COVERAGE.
bool meetsPrecision(const DesignMeasures& m, std::int32_t NN, const SearchSettings& settings);
bool meetsCoverage(const DesignMeasures& m, const SearchSettings& settings);

// The targets' rule as people read it: "relative RMSE - 2 SE <= 0.100, coverage + 2 SE >= 0.950".
std::string targetsText(const SearchSettings& settings);

// "IC 5, every 2 h, first strip": a design as people read it (then ", 2
// observers" for a crew, ", density allocation" for effort by density).
std::string designName(const Design& d);
// `value` with `decimals` decimals and a point.
std::string fixed(double value, int decimals);

}  // namespace arribada::design
