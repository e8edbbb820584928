#include "results/charts.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "results/csv.hpp"
#include "results/svg.hpp"

namespace arribada::results {
namespace {

constexpr int kWidth = 860;
constexpr double kMargin = 30.0;  // left edge of the titles and captions
constexpr double kTitleSize = 17.0;
constexpr double kTextSize = 13.5;
constexpr double kLineGap = 20.0;

const std::string kAxisStyle = "stroke=\"#333333\" stroke-width=\"1\"";
const std::string kGridStyle = "stroke=\"#dddddd\" stroke-width=\"1\"";
const std::string kTruthStyle = "stroke=\"#b2182b\" stroke-width=\"2.5\"";
const std::string kMeanStyle = "stroke=\"#2166ac\" stroke-width=\"2.5\" stroke-dasharray=\"7,4\"";
const std::string kBarStyle = "fill=\"#a6c4de\" stroke=\"#4a6f94\" stroke-width=\"1\"";
const std::string kCountColour = "#1b7837";
const std::string kCountStyle = "stroke=\"" + kCountColour + "\" stroke-width=\"2\"";

// The tick values of an axis: the multiples of its step from its low end,
// none beyond its high end; at most 101 of them.
std::vector<double> ticksOf(const Axis& axis) {
  std::vector<double> ticks;
  const double first = std::ceil(axis.low / axis.step - 1e-9) * axis.step;
  const auto steps = static_cast<int>(std::floor((axis.high - first) / axis.step + 1e-9));
  for (int i = 0; i <= std::min(steps, 100); ++i) ticks.push_back(first + i * axis.step);
  return ticks;
}

}  // namespace

void drawAxes(SvgPicture& svg, const Plot& plot, const std::string& xLabel, const std::string& yLabel,
              XLabeller xTick, double yLabelX) {
  for (const double y : ticksOf(plot.y)) {
    const double at = plot.py(y);
    svg.line(plot.left, at, plot.left + plot.width, at, kGridStyle);
    svg.line(plot.left - 5, at, plot.left, at, kAxisStyle);
    svg.text(plot.left - 8, at + 4.5, tickLabel(y, plot.y.step), 12.5, SvgPicture::Anchor::End);
  }
  for (const double x : ticksOf(plot.x)) {
    const double at = plot.px(x);
    svg.line(at, plot.bottom(), at, plot.bottom() + 5, kAxisStyle);
    svg.text(at, plot.bottom() + 20, xTick(x, plot.x.step), 12.5, SvgPicture::Anchor::Middle);
  }
  svg.line(plot.left, plot.top, plot.left, plot.bottom(), kAxisStyle);
  svg.line(plot.left, plot.bottom(), plot.left + plot.width, plot.bottom(), kAxisStyle);
  svg.text(plot.left + plot.width / 2, plot.bottom() + 42, xLabel, kTextSize, SvgPicture::Anchor::Middle);
  svg.verticalText(yLabelX, plot.top + plot.height / 2, yLabel, kTextSize);
}

namespace {

// A picture from the top: the title lines (the first large and bold), the
// plot, the axis label, and three caption lines.
struct Layout {
  Plot plot;
  double captionTop = 0.0;
  int height = 0;
};

Layout layoutBelow(const std::vector<std::string>& title) {
  Layout layout;
  layout.plot.top = 30.0 + 24.0 + kLineGap * static_cast<double>(title.size() - 1) + 16.0;
  layout.captionTop = layout.plot.bottom() + 72.0;
  layout.height = static_cast<int>(layout.captionTop + 3 * kLineGap + 10);
  return layout;
}

void drawTitle(SvgPicture& svg, const std::vector<std::string>& lines) {
  double y = 30.0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i == 0) {
      svg.text(kMargin, y, lines[i], kTitleSize, SvgPicture::Anchor::Start, "font-weight=\"bold\"");
    } else {
      svg.text(kMargin, y, lines[i], kTextSize);
    }
    y += i == 0 ? 24.0 : kLineGap;
  }
}

// The caption line `n` (1 or 2) under the legend line.
void caption(SvgPicture& svg, const Layout& layout, int n, const std::string& text) {
  svg.text(kMargin, layout.captionTop + n * kLineGap + 4, text, kTextSize);
}

// A short sample of a line's style followed by its meaning; returns the x after the text.
double legendEntry(SvgPicture& svg, double x, double y, const std::string& style, const std::string& label) {
  svg.line(x, y - 4.5, x + 30, y - 4.5, style);
  svg.text(x + 38, y, label, kTextSize);
  // A generous width per character of a 13.5 pixel sans-serif text.
  return x + 38 + 7.6 * static_cast<double>(label.size()) + 30;
}


std::string realLabel(float value) { return decimalText(value, std::fabs(value) < 10.0f ? 2 : 1); }

std::string proportion(const Coverage& c) { return c.computed ? decimalText(c.proportion, 3) : "none"; }

// The caption line of the report's intervals: how often they include NN.
std::string printedCoverage(const Coverage& c, std::size_t IREP) {
  if (!c.computed) return "VARTI cannot be computed with a single strip sampled: the intervals and their coverage are none";
  return "The report's intervals MHAT \u00b1 2\u00b7sqrt(VARTI) include NN in " + std::to_string(c.covered) + " of " +
         std::to_string(IREP) + " replicates: coverage " + proportion(c) + " (SE " + decimalText(c.standardError, 3) +
         ")";
}

// Bin edges from the estimates' range: about 2 x IREP^(1/3) bins of a round width.
struct Bins {
  Axis edges;
  std::vector<std::int32_t> counts;
};

Bins binEstimates(const std::vector<double>& values) {
  const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
  const int wanted =
      std::clamp(static_cast<int>(std::ceil(2.0 * std::cbrt(static_cast<double>(values.size())))), 5, 40);
  Bins bins;
  bins.edges = roundAxis(*lowest, *highest, wanted, false, true);
  const auto count = std::max(1L, std::lround((bins.edges.high - bins.edges.low) / bins.edges.step));
  bins.counts.assign(static_cast<std::size_t>(count), 0);
  for (const double v : values) {
    const auto at = static_cast<long>(std::floor((v - bins.edges.low) / bins.edges.step));
    ++bins.counts[static_cast<std::size_t>(std::clamp(at, 0L, count - 1))];
  }
  return bins;
}

std::vector<std::string> simulationTitle(const SimulationRecord& job) {
  const engine::SimulationParameters& p = job.parameters;
  std::vector<std::string> lines = {"Simulation job " + std::to_string(job.job)};
  if (!job.title.empty()) lines.push_back(job.title);
  lines.insert(lines.end(),
               {
                   "NN = " + std::to_string(p.NN) + " females, IREP = " + std::to_string(p.IREP) +
                       " replicates, random starting value JX = " + std::to_string(p.JX),
                   "IC = " + std::to_string(p.IC) + " of NTR = " + std::to_string(p.NTR) + " strips sampled, NTI = " +
                       std::to_string(p.NTI) + " sampling periods over IHR = " + std::to_string(p.IHR) + " hours",
                   "MIN = " + shortestReal(p.MIN) + " minutes of nesting activity, KSW = " + std::to_string(p.KSW) +
                       ": " + engine::lawName(p.KSW) + " nesting times, STDDEV = " + shortestReal(p.STDDEV) + " hours",
               });
  return lines;
}

void drawBars(SvgPicture& svg, const Plot& plot, const Bins& bins) {
  for (std::size_t i = 0; i < bins.counts.size(); ++i) {
    if (bins.counts[i] == 0) continue;
    const double from = bins.edges.low + static_cast<double>(i) * bins.edges.step;
    const double x = plot.px(from);
    const double y = plot.py(bins.counts[i]);
    svg.rect(x, y, plot.px(from + bins.edges.step) - x, plot.bottom() - y, kBarStyle);
  }
}

std::vector<std::string> fieldTitle(const FieldRecord& field) {
  const fielddata::FieldHeader& h = field.result.header;
  std::vector<std::string> lines = {"Field survey, job " + std::to_string(field.job)};
  if (!field.title.empty()) lines.push_back(field.title);
  lines.push_back("NTR = " + std::to_string(h.NTR) + (h.NTR == 1 ? " transect" : " transects") +
                  " counted at NT1 = " + std::to_string(h.NT1) + (h.NT1 == 1 ? " sampling time" : " sampling times") +
                  "; arribada of " + shortestReal(h.HOURS) + " hours, UELA of " + shortestReal(h.MEANT) + " minutes");
  return lines;
}

// One line of counts over the hours.
struct CountLine {
  std::vector<double> hours;
  std::vector<std::int32_t> totals;
};

// The plain counts only: weighted totals (weights in metres, say) need not
// be on the scale of counts; field-times.csv has them.
void drawCounts(SvgPicture& svg, const Plot& plot, const CountLine& line, const std::string& colour) {
  SvgPicture::Points points;
  for (std::size_t k = 0; k < line.totals.size(); ++k) {
    points.emplace_back(plot.px(line.hours[k]), plot.py(line.totals[k]));
  }
  svg.polyline(points, "stroke=\"" + colour + "\" stroke-width=\"2\"");
  for (const auto& [x, y] : points) svg.circle(x, y, 3.5, "fill=\"" + colour + "\"");
}

void sayNoCounts(SvgPicture& svg, const Plot& plot) {
  svg.text(plot.left + plot.width / 2, plot.top + plot.height / 2, "A single count: no counts were read", kTextSize,
           SvgPicture::Anchor::Middle);
}

// The hours of the lines with half the smallest spacing of counts to spare at
// either end, so that no point sits on the frame; whole hours on the axis
// once it spans two hours or more.
Axis hourAxis(const std::vector<CountLine>& lines, int ticks) {
  double low = 0.0;
  double high = 0.0;
  double spacing = 1.0;
  bool first = true;
  for (const CountLine& line : lines) {
    for (std::size_t k = 0; k < line.hours.size(); ++k) {
      low = first ? line.hours[k] : std::min(low, line.hours[k]);
      high = first ? line.hours[k] : std::max(high, line.hours[k]);
      first = false;
      if (k > 0) spacing = std::min(spacing, line.hours[k] - line.hours[k - 1]);
    }
  }
  Axis axis = roundAxis(low, high, ticks, high - low >= 2.0);
  axis.low = low - spacing / 2;
  axis.high = high + spacing / 2;
  return axis;
}

Axis countAxis(const std::vector<CountLine>& lines) {
  std::int32_t lowest = 0;
  std::int32_t highest = 1;
  for (const CountLine& line : lines) {
    for (const std::int32_t total : line.totals) {
      lowest = std::min(lowest, total);
      highest = std::max(highest, total);
    }
  }
  return roundAxis(lowest, highest, 5, true);
}

// 1, 2, 2.5 or 5 times a power of ten: the nearest to `rough` (as a ratio),
// or else the smallest not below it.
double roundStep(double rough, bool nearest) {
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double best = 10.0 * power;
  for (const double factor : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    const double step = factor * power;
    if (nearest ? std::fabs(std::log(step / rough)) < std::fabs(std::log(best / rough)) : step >= rough) {
      best = step;
      if (!nearest) break;
    }
  }
  return best;
}

}  // namespace

Axis roundAxis(double low, double high, int ticks, bool whole, bool nearest) {
  if (!(high > low)) {
    const double half = std::max(whole ? 1.0 : 0.5, std::fabs(low) * 0.05);
    low -= half;
    high += half;
  }
  double step = roundStep((high - low) / std::max(ticks, 1), nearest);
  if (whole) step = std::max(1.0, std::round(step));
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

std::string tickLabel(double value, double step) {
  // The fewest decimals that show the step whole (2.5 needs one, 0.25 two).
  int decimals = 0;
  for (double scaled = step; decimals < 6 && std::fabs(scaled - std::round(scaled)) > 1e-6 * scaled; scaled *= 10.0) {
    ++decimals;
  }
  return decimalText(value, decimals);
}

std::string simulationPicture(const SimulationRecord& job, const JobMeasures& m) {
  const std::vector<std::string> title = simulationTitle(job);
  Layout layout = layoutBelow(title);
  Plot& plot = layout.plot;
  SvgPicture svg(kWidth, layout.height, title.front());
  drawTitle(svg, title);

  std::vector<double> values;
  for (const engine::ReplicateEstimate& r : job.replicates) {
    if (std::isfinite(r.MHAT)) values.push_back(r.MHAT);
  }
  const Bins bins = values.empty() ? Bins{} : binEstimates(values);
  const double NN = job.parameters.NN;
  const double mean = std::isfinite(job.AVEPOP) ? job.AVEPOP : NN;
  plot.x = roundAxis(std::min({bins.edges.low, NN, mean}), std::max({bins.edges.high, NN, mean}), 7);
  const std::int32_t tallest = bins.counts.empty() ? 1 : *std::max_element(bins.counts.begin(), bins.counts.end());
  plot.y = roundAxis(0.0, tallest, 5, true);
  drawAxes(svg, plot, "Estimate MHAT of the number of females, one per replicate", "Replicates");
  drawBars(svg, plot, bins);
  svg.line(plot.px(NN), plot.top, plot.px(NN), plot.bottom(), kTruthStyle);
  svg.line(plot.px(mean), plot.top, plot.px(mean), plot.bottom(), kMeanStyle);

  const double x =
      legendEntry(svg, kMargin, layout.captionTop, kTruthStyle, "true NN = " + std::to_string(job.parameters.NN));
  legendEntry(svg, x, layout.captionTop, kMeanStyle, "average estimate = " + realLabel(job.AVEPOP));
  caption(svg, layout, 1, printedCoverage(m.printed, job.replicates.size()));
  caption(svg, layout, 2,
          "Coverage of MHAT \u00b1 2\u00b7sqrt(v) for each variance estimate v: VARM " + proportion(m.VARM) +
              ", VARTR " + proportion(m.VARTR) + ", VARTI " + proportion(m.VARTI));
  return svg.document();
}

std::string fieldPicture(const FieldRecord& field) {
  const fielddata::FieldResult& r = field.result;
  const std::vector<std::string> title = fieldTitle(field);
  Layout layout = layoutBelow(title);
  Plot& plot = layout.plot;
  SvgPicture svg(kWidth, layout.height, title.front());
  drawTitle(svg, title);

  // Count k at (k - 1) x HOURS / NT1 hours: the spacing the estimator assumes.
  CountLine line{{}, r.timeTotals};
  for (std::size_t k = 0; k < r.timeTotals.size(); ++k) {
    line.hours.push_back(static_cast<double>(k) * r.header.HOURS / r.header.NT1);
  }
  plot.x = line.totals.empty() ? roundAxis(0.0, 1.0, 5) : hourAxis({line}, 10);
  plot.y = countAxis({line});
  drawAxes(svg, plot, "Hours since the first count (count k at (k \u2212 1) \u00d7 HOURS / NT1)",
           "Turtles in UELA, all transects");
  if (line.totals.empty()) {
    sayNoCounts(svg, plot);
  } else {
    drawCounts(svg, plot, line, kCountColour);
  }

  legendEntry(svg, kMargin, layout.captionTop, kCountStyle,
              "turtles in UELA at each sampling time, all transects together");
  caption(svg, layout, 1,
          r.MHAT ? "Estimated number of egg-laying females " + decimalText(*r.MHAT, 1) + " (" +
                       shortestReal(r.SUM.value_or(0.0f)) + " UELAs counted" +
                       (r.header.weighted() ? ", " + shortestReal(r.SUMN.value_or(0.0f)) + " weighted)" : ")")
                 : std::string("No estimate: a single count"));
  const bool limits = fielddata::limitComputed(r.LCL) && fielddata::limitComputed(r.UCL);
  caption(svg, layout, 2,
          limits ? "95% confidence limits (estimate \u00b1 2 standard errors): " + decimalText(r.LCL, 1) + " to " +
                       decimalText(r.UCL, 1)
                 : std::string("95% confidence limits cannot be computed"));
  return svg.document();
}

namespace {

// Colours told apart by most readers, also with the commonest colour blindness.
constexpr std::array<const char*, 8> kNightColours = {"#1b7837", "#2166ac", "#b2182b", "#e08214",
                                                      "#762a83", "#35978f", "#8c510a", "#4d4d4d"};

// A clock hour as HH:MM, past midnight from 00:00 again.
std::string clockLabel(double hours, double) {
  constexpr long kDay = 24 * 60;
  const long minutes = (std::lround(hours * 60.0) % kDay + kDay) % kDay;
  const std::string hh = std::to_string(minutes / 60);
  const std::string mm = std::to_string(minutes % 60);
  return (hh.size() < 2 ? "0" : "") + hh + ":" + (mm.size() < 2 ? "0" : "") + mm;
}

// Steps of whole hours that divide a day (or half an hour), at most `ticks` of them.
Axis clockAxis(const std::vector<CountLine>& lines, int ticks) {
  Axis axis = hourAxis(lines, ticks);
  for (const double step : {0.5, 1.0, 2.0, 3.0, 4.0, 6.0, 12.0}) {
    axis.step = step;
    if ((axis.high - axis.low) / step <= ticks) break;
  }
  return axis;
}

// Every night on one clock: a night that begins before the clock's start
// (noon or midnight, whichever keeps the nights' first counts closest) is
// drawn a day later, so that nights crossing midnight line up.
std::vector<CountLine> onOneClock(std::vector<CountLine> lines) {
  double best = 0.0;
  double narrowest = 48.0;
  for (const double start : {0.0, 12.0}) {
    double low = 48.0;
    double high = 0.0;
    for (const CountLine& line : lines) {
      const double first = line.hours.front() < start ? line.hours.front() + 24.0 : line.hours.front();
      low = std::min(low, first);
      high = std::max(high, first);
    }
    if (high - low < narrowest) {
      narrowest = high - low;
      best = start;
    }
  }
  for (CountLine& line : lines) {
    if (line.hours.front() < best) {
      for (double& h : line.hours) h += 24.0;
    }
  }
  return lines;
}

std::string optionalValue(const std::optional<double>& value) {
  return value ? decimalText(*value, 1) : std::string("cannot be computed");
}

std::string limitsText(const std::optional<double>& lower, const std::optional<double>& upper) {
  return lower && upper ? decimalText(*lower, 1) + " to " + decimalText(*upper, 1) : std::string("cannot be computed");
}

// A file's name without its folder (the bytes as given: no conversion through the system's code page).
std::string baseName(const std::string& file) { return file.substr(file.find_last_of("/\\") + 1); }

std::vector<std::string> nightsTitle(const fielddata::FieldAnalysis& analysis) {
  const std::size_t n = analysis.nights.size();
  const fielddata::FieldRow& t = analysis.total;
  std::vector<std::string> lines = {"Field survey, " + std::to_string(n) + (n == 1 ? " night" : " nights")};
  if (n == 1 && !analysis.nights.front().title.empty()) lines.push_back(analysis.nights.front().title);
  lines.push_back("Estimated number of egg-laying females" + std::string(n == 1 ? ": " : ", all nights: ") +
                  optionalValue(t.estimate) +
                  (t.uelasCounted ? " (" + decimalText(*t.uelasCounted, 0) + " UELAs counted)" : std::string()));
  return lines;
}

constexpr double kJobRow = 50.0;  // pixels per job in the summary picture
const std::string kReplicateStyle = "stroke=\"#4a6f94\" stroke-width=\"1\" stroke-opacity=\"0.35\"";
const std::string kAverageStyle = "stroke=\"#08306b\" stroke-width=\"3.5\"";

double percentError(double estimate, double NN) { return 100.0 * (estimate - NN) / NN; }

// The horizontal axis alone: its ticks, grid and label (the rows are jobs, not values).
void drawErrorAxis(SvgPicture& svg, const Plot& plot) {
  for (const double x : ticksOf(plot.x)) {
    const double at = plot.px(x);
    svg.line(at, plot.top, at, plot.bottom(), kGridStyle);
    svg.line(at, plot.bottom(), at, plot.bottom() + 5, kAxisStyle);
    svg.text(at, plot.bottom() + 20, tickLabel(x, plot.x.step) + " %", 12.5, SvgPicture::Anchor::Middle);
  }
  svg.line(plot.left, plot.bottom(), plot.left + plot.width, plot.bottom(), kAxisStyle);
  svg.text(plot.left + plot.width / 2, plot.bottom() + 42, "Percent error of the estimate MHAT from the job's true NN",
           kTextSize, SvgPicture::Anchor::Middle);
}

// The job's label above its band of ticks; the true NN (0 %) crosses the band only.
void drawJobRow(SvgPicture& svg, const Plot& plot, double top, const JobErrors& job) {
  svg.text(plot.left, top + 14, job.design, 12.5);
  const double middle = top + 30;
  for (const double error : job.percentErrors) {
    svg.line(plot.px(error), middle - 8, plot.px(error), middle + 8, kReplicateStyle);
  }
  if (!job.percentErrors.empty()) {
    svg.line(plot.px(job.averageError), middle - 13, plot.px(job.averageError), middle + 13, kAverageStyle);
  }
  // Over the average, which often sits on it.
  svg.line(plot.px(0.0), middle - 13, plot.px(0.0), middle + 13, kTruthStyle);
}

// The legend's sample of replicate ticks: a few upright ticks, as in the rows.
double replicateLegend(SvgPicture& svg, double x, double y) {
  for (int i = 0; i < 6; ++i) svg.line(x + 5.0 * i + 2, y - 11, x + 5.0 * i + 2, y + 2, kReplicateStyle);
  svg.text(x + 38, y, "one replicate's estimate", kTextSize);
  return x + 38 + 7.6 * 24 + 30;
}

}  // namespace

std::string nightsPicture(const fielddata::FieldAnalysis& analysis) {
  std::vector<CountLine> lines;
  bool clock = true;
  for (const fielddata::NightCounts& night : analysis.counts) {
    if (night.totals.empty()) continue;
    clock = clock && night.times.clock;
    lines.push_back({night.times.hours, night.totals});
  }
  if (clock && !lines.empty()) {
    lines = onOneClock(std::move(lines));
  } else {
    for (CountLine& line : lines) {
      const double first = line.hours.front();
      for (double& h : line.hours) h -= first;
    }
  }

  const std::vector<std::string> title = nightsTitle(analysis);
  Layout layout = layoutBelow(title);
  const std::size_t legendRows = (analysis.nights.size() + 2) / 3;
  layout.height += static_cast<int>(kLineGap * static_cast<double>(legendRows - 1));
  Plot& plot = layout.plot;
  SvgPicture svg(kWidth, layout.height, title.front());
  drawTitle(svg, title);
  plot.x = lines.empty() ? roundAxis(0.0, 1.0, 5) : clock ? clockAxis(lines, 12) : hourAxis(lines, 10);
  plot.y = countAxis(lines);
  drawAxes(svg, plot, clock ? "Clock time of the count" : "Hours since the night's first count",
           "Turtles in UELA, all transects", clock ? &clockLabel : &tickLabel);
  if (lines.empty()) sayNoCounts(svg, plot);

  std::size_t drawn = 0;
  for (std::size_t i = 0; i < analysis.nights.size(); ++i) {
    const std::string colour = kNightColours[i % kNightColours.size()];
    if (!analysis.counts[i].totals.empty()) drawCounts(svg, plot, lines[drawn++], colour);
    const double x = kMargin + static_cast<double>(i % 3) * (kWidth - kMargin) / 3.0;
    const double y = layout.captionTop + kLineGap * static_cast<double>(i / 3);
    const fielddata::FieldRow& night = analysis.nights[i];
    legendEntry(svg, x, y, "stroke=\"" + colour + "\" stroke-width=\"2\"",
                "night " + std::to_string(night.night) + ": " + baseName(night.file) +
                    (analysis.counts[i].totals.empty() ? " (a single count)" : ""));
  }
  const fielddata::FieldRow& t = analysis.total;
  const double below = kLineGap * static_cast<double>(legendRows - 1);
  svg.text(kMargin, layout.captionTop + below + kLineGap + 4,
           "95% limits (estimate \u00b1 2 standard errors): " + limitsText(t.LCL, t.UCL),
           kTextSize);
  svg.text(kMargin, layout.captionTop + below + 2 * kLineGap + 4,
           "Log-normal limits (" + std::string(t.logWithMEANT ? "with MEANT's standard error" : "sampling variance only") +
               "): " + limitsText(t.logLCL, t.logUCL),
           kTextSize);
  return svg.document();
}

JobErrors jobErrors(const SimulationRecord& job) {
  const engine::SimulationParameters& p = job.parameters;
  JobErrors errors;
  errors.job = job.job;
  errors.design = "Job " + std::to_string(job.job) + ": IC = " + std::to_string(p.IC) + " of NTR = " +
                  std::to_string(p.NTR) + " strips, NN = " + std::to_string(p.NN) + ", IREP = " +
                  std::to_string(p.IREP) + ", " + engine::lawName(p.KSW) + " nesting times, JX = " + std::to_string(p.JX);
  for (const engine::ReplicateEstimate& r : job.replicates) {
    if (std::isfinite(r.MHAT)) errors.percentErrors.push_back(percentError(r.MHAT, p.NN));
  }
  errors.averageError = percentError(std::isfinite(job.AVEPOP) ? job.AVEPOP : p.NN, p.NN);
  return errors;
}

std::string summaryPicture(const std::vector<JobErrors>& jobs) {
  const std::vector<std::string> title = {"Simulation jobs side by side",
                                          "Each job's estimates as percent error from its own true NN"};
  Layout layout = layoutBelow(title);
  Plot& plot = layout.plot;
  plot.height = kJobRow * static_cast<double>(std::max<std::size_t>(jobs.size(), 1)) + 10.0;
  layout.captionTop = plot.bottom() + 72.0;
  layout.height = static_cast<int>(layout.captionTop + 2 * kLineGap + 10);
  SvgPicture svg(kWidth, layout.height, title.front());
  drawTitle(svg, title);

  double lowest = 0.0;
  double highest = 0.0;
  for (const JobErrors& job : jobs) {
    for (const double error : job.percentErrors) {
      lowest = std::min(lowest, error);
      highest = std::max(highest, error);
    }
  }
  plot.x = roundAxis(lowest, highest, 8);
  drawErrorAxis(svg, plot);
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    drawJobRow(svg, plot, plot.top + kJobRow * static_cast<double>(i), jobs[i]);
  }

  const double x = legendEntry(svg, kMargin, layout.captionTop, kTruthStyle, "0 %: the true NN");
  const double next = replicateLegend(svg, x, layout.captionTop);
  legendEntry(svg, next, layout.captionTop, kAverageStyle, "the job's average estimate");
  caption(svg, layout, 1,
          "Percent error = 100 \u00d7 (MHAT \u2212 NN) / NN; each job's own picture is simulation-<job>.svg");
  return svg.document();
}

}  // namespace arribada::results
