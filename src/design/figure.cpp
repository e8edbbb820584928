#include <algorithm>
#include <cmath>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "design/measures.hpp"
#include "design/outputs.hpp"
#include "engine/parameters.hpp"
#include "results/charts.hpp"
#include "results/svg.hpp"

namespace arribada::design {
namespace {

using results::SvgPicture;

constexpr double kNarrowPanel = 470.0;  // three panels a row
constexpr double kWidePanel = 600.0;    // one or two
constexpr double kPlotLeft = 75.0;
constexpr double kPlotTop = 50.0;
constexpr double kPlotRoom = 110.0;  // a panel's width less its plot's
constexpr double kPlotHeight = 220.0;
constexpr double kCoverageGap = 50.0;  // between the error plot and the coverage plot
constexpr double kCoverageHeight = 70.0;
constexpr double kPanelHeight = kPlotTop + kPlotHeight + kCoverageGap + kCoverageHeight + 60.0;
constexpr double kHeader = 70.0;
constexpr double kLegendLine = 19.0;
constexpr double kCharWidth = 7.2;  // a generous width of a 12-pixel character (0.6 of it), for fitting text

const std::string kFirstColour = "#2166ac";
const std::string kRandomColour = "#d95f02";
const std::string kInfeasibleColour = "#999999";
const std::string kTargetColour = "#b2182b";

std::string scenarioTitle(const Scenario& s) {
  return "Scenario " + std::to_string(s.index + 1) + ": NN " + std::to_string(s.NN) + ", " + std::to_string(s.IHR) +
         " h, MIN " + fixed(s.MIN, 1) + ", SD " + fixed(s.STDDEV, 1) + ", " + engine::lawName(s.KSW);
}

std::string colourOf(const DesignOutcome& o) {
  if (!o.cost.feasible) return kInfeasibleColour;
  return o.design.START == Start::random ? kRandomColour : kFirstColour;
}

// The common axes: observer-hours from 0; relative RMSE over the decision
// band, 0 to twice TARGET_CV (designs above it stand at its edge); coverage
// from a little below TARGET_COVERAGE to 1.
struct Scales {
  results::Axis x;
  results::Axis y;
  results::Axis coverage;
};

Scales scalesOf(const SearchSettings& settings, const std::vector<ScenarioResult>& results) {
  double hours = 1.0;
  for (const ScenarioResult& r : results) {
    for (const DesignOutcome& o : r.designs) {
      if (o.skipped.empty()) hours = std::max(hours, o.cost.observerHours);
    }
  }
  const double floor = std::max(0.0, std::floor((settings.TARGET_COVERAGE - 0.3) * 10.0) / 10.0);
  return {results::roundAxis(0.0, hours * 1.08, 6), results::roundAxis(0.0, 2.0 * settings.TARGET_CV, 5),
          {floor, 1.0, (1.0 - floor) / 2.0}};
}

// Label boxes already placed in a panel, so that a new label takes the first
// place around its point that overlaps none of them, or is left out.
class LabelPlaces {
 public:
  // Labels stay inside the box left ... right, top ... bottom (about the plot's).
  LabelPlaces(double left, double right, double top, double bottom)
      : left_(left), right_(right), top_(top), bottom_(bottom) {}

  struct Box {
    double left, top, right, bottom;
    bool overlaps(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
  };
  struct Place {
    double x, y;
    SvgPicture::Anchor anchor;
  };
  // Where a label of `chars` characters goes beside the point (x, y); nothing when every place collides.
  std::optional<Place> place(double x, double y, std::size_t chars) {
    const double width = 6.3 * static_cast<double>(chars);
    const Place tries[] = {{10, 4, SvgPicture::Anchor::Start},   {-10, 4, SvgPicture::Anchor::End},
                           {0, -12, SvgPicture::Anchor::Middle}, {0, 20, SvgPicture::Anchor::Middle},
                           {10, -10, SvgPicture::Anchor::Start}, {-10, 18, SvgPicture::Anchor::End},
                           {10, 18, SvgPicture::Anchor::Start},  {-10, -10, SvgPicture::Anchor::End}};
    for (const Place& t : tries) {
      const double left = t.anchor == SvgPicture::Anchor::Start ? x + t.x
                          : t.anchor == SvgPicture::Anchor::End ? x + t.x - width
                                                                : x - width / 2;
      const Box box{left, y + t.y - 10, left + width, y + t.y + 2};
      const bool inside = box.left >= left_ && box.right <= right_ && box.top >= top_ && box.bottom <= bottom_;
      if (inside && std::none_of(boxes_.begin(), boxes_.end(), [&](const Box& b) { return b.overlaps(box); })) {
        boxes_.push_back(box);
        return Place{x + t.x, y + t.y, t.anchor};
      }
    }
    return std::nullopt;
  }
  void keepClear(double x, double y) { boxes_.push_back({x - 6, y - 6, x + 6, y + 6}); }

 private:
  double left_;
  double right_;
  double top_;
  double bottom_;
  std::vector<Box> boxes_;
};

// Where a design's point stands: first-strip and random-start designs of the
// same cost stand a little apart.
double pointX(const results::Plot& plot, const DesignOutcome& o) {
  return plot.px(o.cost.observerHours) + (o.design.START == Start::random ? 5.0 : -5.0);
}

// A value on a plot's vertical axis, held to the axis: off the scale it stands at the edge.
double heldY(const results::Plot& plot, double value) {
  return plot.py(std::clamp(value, plot.y.low, plot.y.high));
}
bool offScale(const results::Plot& plot, double value) { return value > plot.y.high || value < plot.y.low; }

// A design's marker: a circle (even allocation) or a square (density
// allocation); off the scale, a triangle at the edge pointing the way out.
void drawMarker(SvgPicture& svg, const results::Plot& plot, const DesignOutcome& o, double x, double value,
                bool filled) {
  const std::string colour = colourOf(o);
  const std::string style = "fill=\"" + (filled ? colour : std::string("#ffffff")) + "\" stroke=\"" + colour +
                            "\" stroke-width=\"2\"";
  const double y = heldY(plot, value);
  if (offScale(plot, value)) {
    const double tip = value > plot.y.high ? -8.0 : 8.0;
    svg.polygon({{x - 6, y}, {x + 6, y}, {x, y + tip}}, style);
  } else if (o.design.allocation == Allocation::density) {
    svg.rect(x - 4.5, y - 4.5, 9, 9, style);
  } else {
    svg.circle(x, y, 4.5, style);
  }
}

// A value with a bar of two standard errors either side, held to the plot.
void drawWithBar(SvgPicture& svg, const results::Plot& plot, const DesignOutcome& o, double x, double value,
                 double se, bool filled) {
  const std::string bar = "stroke=\"" + colourOf(o) + "\" stroke-width=\"1.5\"";
  if (!offScale(plot, value)) {
    const double low = heldY(plot, value - 2.0 * se);
    const double high = heldY(plot, value + 2.0 * se);
    svg.line(x, low, x, high, bar);
    svg.line(x - 3, low, x + 3, low, bar);
    svg.line(x - 3, high, x + 3, high, bar);
  }
  drawMarker(svg, plot, o, x, value, filled);
}

std::string designLabel(const Design& d) {
  return std::to_string(d.IC) + "/" + std::to_string(d.EVERY) + "h" + (d.START == Start::random ? " r" : "") +
         (d.allocation == Allocation::density ? " d" : "") +
         (d.observers > 1 ? " x" + std::to_string(d.observers) : "");
}

void labelDesign(SvgPicture& svg, const results::Plot& plot, const ScenarioResult& r, const DesignOutcome& o,
                 LabelPlaces& places) {
  const double value = o.measures.rmse / r.scenario.NN;
  const std::string label = designLabel(o.design) + (offScale(plot, value) ? " (" + fixed(value, 2) + ")" : "");
  if (const auto at = places.place(pointX(plot, o), heldY(plot, value), label.size())) {
    svg.text(at->x, at->y, label, 11.0, at->anchor, "fill=\"" + colourOf(o) + "\"");
  }
}

void drawTarget(SvgPicture& svg, const results::Plot& plot, double value, const std::string& text) {
  const double y = plot.py(value);
  svg.line(plot.left, y, plot.left + plot.width, y,
           "stroke=\"" + kTargetColour + "\" stroke-width=\"2\" stroke-dasharray=\"8,5\"");
  svg.text(plot.left + plot.width - 4, y - 6, text, 11.5, SvgPicture::Anchor::End, "fill=\"" + kTargetColour + "\"");
}

// Designs in the order their labels are placed: the recommended one first.
std::vector<const DesignOutcome*> labelOrder(const ScenarioResult& r, const SearchResult& search) {
  std::vector<const DesignOutcome*> order;
  for (const DesignOutcome& o : r.designs) {
    if (o.skipped.empty()) order.push_back(&o);
  }
  std::stable_partition(order.begin(), order.end(),
                        [&](const DesignOutcome* o) { return search.recommendation.design == o->design.index; });
  return order;
}

void drawCoverage(SvgPicture& svg, const SearchSettings& settings, const Scales& scales, const ScenarioResult& r,
                  const results::Plot& above, double left) {
  results::Plot plot = above;
  plot.top = above.bottom() + kCoverageGap;
  plot.height = kCoverageHeight;
  plot.y = scales.coverage;
  results::drawAxes(svg, plot, "observer-hours", "coverage", &results::tickLabel, left + 22);
  drawTarget(svg, plot, settings.TARGET_COVERAGE, "target " + fixed(settings.TARGET_COVERAGE, 2));
  for (const DesignOutcome& o : r.designs) {
    if (!o.skipped.empty() || !o.measures.coverage) continue;
    drawWithBar(svg, plot, o, pointX(plot, o), *o.measures.coverage, *o.measures.coverageSE,
                meetsCoverage(o.measures, settings));
  }
}

void drawPanel(SvgPicture& svg, const SearchSettings& settings, const Scales& scales, const ScenarioResult& r,
               const SearchResult& search, double left, double top, double panelWidth) {
  results::Plot plot;
  plot.left = left + kPlotLeft;
  plot.top = top + kPlotTop;
  plot.width = panelWidth - kPlotRoom;
  plot.height = kPlotHeight;
  plot.x = scales.x;
  plot.y = scales.y;
  svg.text(left + 10, top + 20, scenarioTitle(r.scenario), 13.0, SvgPicture::Anchor::Start, "font-weight=\"bold\"");
  svg.text(left + 10, top + 38,
           "beach use: " + r.scenario.densityLabel +
               (r.scenario.countCV > 0.0 ? ", count CV " + fixed(r.scenario.countCV, 2) : std::string()) + ", " +
               std::to_string(r.replicates) + " replicates",
           12.0);
  results::drawAxes(svg, plot, "", "relative RMSE", &results::tickLabel, left + 22);
  drawTarget(svg, plot, settings.TARGET_CV, "target " + fixed(settings.TARGET_CV, 3));
  LabelPlaces places(plot.left + 2.0, plot.left + plot.width + 60.0, plot.top - 4.0, plot.bottom() - 2.0);
  for (const DesignOutcome& o : r.designs) {
    if (!o.skipped.empty()) continue;
    const double value = o.measures.rmse / r.scenario.NN;
    drawWithBar(svg, plot, o, pointX(plot, o), value, o.measures.rmseSE / r.scenario.NN,
                meetsPrecision(o.measures, r.scenario.NN, settings));
    if (search.recommendation.design == o.design.index) {
      svg.circle(pointX(plot, o), heldY(plot, value), 10, "fill=\"none\" stroke=\"#1b7837\" stroke-width=\"3\"");
    }
    places.keepClear(pointX(plot, o), heldY(plot, value));
  }
  for (const DesignOutcome* o : labelOrder(r, search)) labelDesign(svg, plot, r, *o, places);
  drawCoverage(svg, settings, scales, r, plot, left);
}

// `text` in lines of at most `chars` characters, broken at spaces.
std::vector<std::string> textLines(const std::string& text, std::size_t chars) {
  std::vector<std::string> lines;
  std::istringstream words(text);
  std::string word;
  std::string line;
  while (words >> word) {
    if (!line.empty() && line.size() + 1 + word.size() > chars) {
      lines.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// The legend's sentences, each wrapped to the picture's width.
std::vector<std::string> legendLines(double width) {
  const auto chars = static_cast<std::size_t>((width - 60.0) / kCharWidth);
  std::vector<std::string> lines;
  for (const char* sentence :
       {"Blue: first-strip start; orange: random start (label ends in r); grey: a round does not fit in the hours "
        "between rounds. Circle: even allocation; square: density allocation (d); x2: two observers.",
        "Filled: meets the target of its plot (upper: relative RMSE not significantly above the red line; lower: "
        "coverage not significantly short of it); hollow: does not. A triangle at the upper plot's top edge is a design "
        "above the band, its relative RMSE in brackets.",
        "Bars: 2 Monte Carlo standard errors either side. Labels: strips counted / hours between rounds (5/4h: 5 "
        "strips every 4 hours), where they fit. Green ring: recommended."}) {
    for (std::string& line : textLines(sentence, chars)) lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<std::string> recommendationLines(const SearchResult& search, double width) {
  return textLines(search.recommendation.text, static_cast<std::size_t>((width - 60.0) / (kCharWidth * 1.2)));
}

double legendHeight(const SearchResult& search, double width) {
  return 30.0 + kLegendLine * static_cast<double>(legendLines(width).size() +
                                                   recommendationLines(search, width).size());
}

void drawLegend(SvgPicture& svg, double top, const SearchResult& search, double width) {
  const double x = 30.0;
  double y = top;
  for (const std::string& line : legendLines(width)) {
    svg.text(x, y, line, 12.0);
    y += kLegendLine;
  }
  y += 6.0;
  for (const std::string& line : recommendationLines(search, width)) {
    svg.text(x, y, line, 12.5, SvgPicture::Anchor::Start, "font-weight=\"bold\"");
    y += kLegendLine;
  }
}

}  // namespace

std::string searchPicture(const SearchSettings& settings, const SearchResult& search,
                          const std::vector<ScenarioResult>& results) {
  const int columns = std::clamp(static_cast<int>(results.size()), 1, 3);
  const int rows = std::max(1, (static_cast<int>(results.size()) + columns - 1) / columns);
  const double panelWidth = columns < 3 ? kWidePanel : kNarrowPanel;
  const double width = std::max(860.0, columns * panelWidth + 20.0);
  const double height = kHeader + rows * kPanelHeight + legendHeight(search, width);
  SvgPicture svg(static_cast<int>(width), static_cast<int>(height), "Design search: cost against precision");
  svg.text(20, 30, "Which survey design? Cost (observer-hours) against precision and coverage", 18.0,
           SvgPicture::Anchor::Start, "font-weight=\"bold\"");
  svg.text(20, 52, "Every design counts the same synthetic arribadas in a scenario; lower is more precise, left is "
                   "cheaper.", 12.5);
  const Scales scales = scalesOf(settings, results);
  for (std::size_t i = 0; i < results.size(); ++i) {
    const double left = 10.0 + static_cast<double>(static_cast<int>(i) % columns) * panelWidth;
    const double top = kHeader + static_cast<double>(static_cast<int>(i) / columns) * kPanelHeight;
    drawPanel(svg, settings, scales, results[i], search, left, top, panelWidth);
  }
  drawLegend(svg, kHeader + rows * kPanelHeight + 10.0, search, width);
  return svg.document();
}

}  // namespace arribada::design
