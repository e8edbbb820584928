#pragma once
// The pictures of a results folder: the histogram of a simulation job's
// estimates and a field survey's counts over the night, one night or several.

#include <cstdint>
#include <string>
#include <vector>

#include "fielddata/nights.hpp"
#include "results/measures.hpp"
#include "results/sink.hpp"
#include "results/svg.hpp"

namespace arribada::results {

// Evenly spaced, round tick marks that cover low ... high.
struct Axis {
  double low = 0.0;
  double high = 1.0;
  double step = 1.0;
};
// Steps of 1, 2, 2.5 or 5 times a power of ten: at most `ticks` of them
// or, with `nearest`, as near to `ticks` as such steps come. A range of zero
// width is widened around its value; with `whole`, steps are whole numbers.
Axis roundAxis(double low, double high, int ticks, bool whole = false, bool nearest = false);

// A tick's label: as many decimals as the step needs, a point as the mark.
std::string tickLabel(double value, double step);

// The plot area of a picture in pixels and the axes drawn over it.
struct Plot {
  double left = 90.0;  // room for the vertical axis' labels
  double top = 0.0;
  double width = 740.0;
  double height = 300.0;
  Axis x;
  Axis y;

  double px(double value) const { return left + (value - x.low) / (x.high - x.low) * width; }
  double py(double value) const { return top + height - (value - y.low) / (y.high - y.low) * height; }
  double bottom() const { return top + height; }
};

// A tick's label on the horizontal axis.
using XLabeller = std::string (*)(double value, double step);

// Grid lines, ticks and their labels (xTick's on the horizontal axis), the
// axis lines and the axis labels; the vertical label is centred on x = yLabelX.
void drawAxes(SvgPicture& svg, const Plot& plot, const std::string& xLabel, const std::string& yLabel,
              XLabeller xTick = &tickLabel, double yLabelX = 24.0);

// The replicate estimates as a histogram, the true NN and the average
// estimate marked, the coverage of the intervals below, titled with the
// job's parameters.
std::string simulationPicture(const SimulationRecord& job, const JobMeasures& measures);

// One simulation job's estimates as percent errors from its true NN, for the
// picture that sets the jobs of a run side by side.
struct JobErrors {
  std::int32_t job = 0;
  std::string design;                // the job's sampling design and size in a few words
  std::vector<double> percentErrors;  // 100 (MHAT - NN) / NN, one per replicate with a finite MHAT
  double averageError = 0.0;         // the same for the average estimate
};
JobErrors jobErrors(const SimulationRecord& job);

// Every job on one axis of percent error, a row per job: a tick per
// replicate, the average estimate marked, 0 % (each job's NN) drawn across.
std::string summaryPicture(const std::vector<JobErrors>& jobs);

// The total count at each sampling time against hours since the first count
// (count k at (k - 1) x HOURS / NT1, the spacing the estimator assumes), with
// the estimate and its limits in the caption.
std::string fieldPicture(const FieldRecord& field);

// The total count at each sampling time of every night, on the clock when
// every file gives clock times (else in hours since each night's first
// count), with the total estimate and its limits in the caption.
std::string nightsPicture(const fielddata::FieldAnalysis& analysis);

}  // namespace arribada::results
