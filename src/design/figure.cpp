#include <algorithm>
#include <cmath>
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
constexpr double kPanelHeight = 370.0;
constexpr double kPlotLeft = 75.0;
constexpr double kPlotTop = 50.0;
constexpr double kPlotRoom = 110.0;  // a panel's width less its plot's
constexpr double kPlotHeight = 260.0;
constexpr double kHeader = 70.0;
constexpr double kLegend = 130.0;

const std::string kFirstColour = "#2166ac";
const std::string kRandomColour = "#d95f02";
const std::string kInfeasibleColour = "#999999";


std::string scenarioTitle(const Scenario& s) {
  return "Scenario " + std::to_string(s.index + 1) + ": NN " + std::to_string(s.NN) + ", " + std::to_string(s.IHR) +
         " h, MIN " + fixed(s.MIN, 1) + ", SD " + fixed(s.STDDEV, 1) + ", " + engine::lawName(s.KSW);
}

std::string colourOf(const DesignOutcome& o) {
  if (!o.cost.feasible) return kInfeasibleColour;
  return o.design.START == Start::random ? kRandomColour : kFirstColour;
}

// The common axes: observer-hours from 0, relative RMSE from 0 to above the
// highest error bar and the target.
struct Scales {
  results::Axis x;
  results::Axis y;
};

Scales scalesOf(const SearchSettings& settings, const std::vector<ScenarioResult>& results) {
  double hours = 1.0;
  double error = settings.TARGET_CV * 1.25;
  for (const ScenarioResult& r : results) {
    for (const DesignOutcome& o : r.designs) {
      if (!o.skipped.empty()) continue;
      hours = std::max(hours, o.cost.observerHours);
      error = std::max(error, (o.measures.rmse + 2.0 * o.measures.rmseSE) / r.scenario.NN);
    }
  }
  return {results::roundAxis(0.0, hours * 1.08, 6), results::roundAxis(0.0, error * 1.05, 5)};
}

// Label boxes already placed in a panel, so that a new label takes the first
// place around its point that overlaps none of them.
class LabelPlaces {
 public:
  // Labels stay between x = left and x = right (the plot's sides).
  LabelPlaces(double left, double right) : left_(left), right_(right) {}

  struct Box {
    double left, top, right, bottom;
    bool overlaps(const Box& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
  };
  // The baseline and anchor of a label of `chars` characters beside the point (x, y).
  std::pair<double, double> place(double x, double y, std::size_t chars, SvgPicture::Anchor& anchor) {
    const double width = 6.3 * static_cast<double>(chars);
    const struct {
      double dx, dy;
      SvgPicture::Anchor anchor;
    } tries[] = {{10, 4, SvgPicture::Anchor::Start},   {-10, 4, SvgPicture::Anchor::End},
                 {0, -12, SvgPicture::Anchor::Middle}, {0, 20, SvgPicture::Anchor::Middle},
                 {10, -10, SvgPicture::Anchor::Start}, {-10, 18, SvgPicture::Anchor::End},
                 {10, 18, SvgPicture::Anchor::Start},  {-10, -10, SvgPicture::Anchor::End}};
    for (const auto& t : tries) {
      const double left = t.anchor == SvgPicture::Anchor::Start ? x + t.dx
                          : t.anchor == SvgPicture::Anchor::End ? x + t.dx - width
                                                                : x - width / 2;
      const Box box{left, y + t.dy - 10, left + width, y + t.dy + 2};
      const bool inside = box.left >= left_ && box.right <= right_;
      if (inside && std::none_of(boxes_.begin(), boxes_.end(), [&](const Box& b) { return b.overlaps(box); })) {
        boxes_.push_back(box);
        anchor = t.anchor;
        return {x + t.dx, y + t.dy};
      }
    }
    anchor = tries[0].anchor;
    return {x + tries[0].dx, y + tries[0].dy};
  }
  void keepClear(double x, double y) { boxes_.push_back({x - 6, y - 6, x + 6, y + 6}); }

 private:
  double left_;
  double right_;
  std::vector<Box> boxes_;
};

// Where a design's point stands: first-strip and random-start designs of the
// same cost stand a little apart.
double pointX(const results::Plot& plot, const DesignOutcome& o) {
  return plot.px(o.cost.observerHours) + (o.design.START == Start::random ? 5.0 : -5.0);
}

void drawDesign(SvgPicture& svg, const results::Plot& plot, const ScenarioResult& r, const DesignOutcome& o,
                bool recommended) {
  const double N = r.scenario.NN;
  const DesignMeasures& m = o.measures;
  const double x = pointX(plot, o);
  const std::string colour = colourOf(o);
  const std::string bar = "stroke=\"" + colour + "\" stroke-width=\"1.5\"";
  const double low = plot.py(std::max(0.0, (m.rmse - 2.0 * m.rmseSE) / N));
  const double high = plot.py((m.rmse + 2.0 * m.rmseSE) / N);
  svg.line(x, low, x, high, bar);
  svg.line(x - 3, low, x + 3, low, bar);
  svg.line(x - 3, high, x + 3, high, bar);
  const double y = plot.py(m.rmse / N);
  const std::string fill = o.meetsTargets ? colour : "#ffffff";
  svg.circle(x, y, 4.5, "fill=\"" + fill + "\" stroke=\"" + colour + "\" stroke-width=\"2\"");
  if (recommended) svg.circle(x, y, 10, "fill=\"none\" stroke=\"#1b7837\" stroke-width=\"3\"");
}

void labelDesign(SvgPicture& svg, const results::Plot& plot, const ScenarioResult& r, const DesignOutcome& o,
                 LabelPlaces& places) {
  const std::string label = std::to_string(o.design.IC) + "/" + std::to_string(o.design.EVERY) + "h" +
                            (o.design.START == Start::random ? " r" : "");
  SvgPicture::Anchor anchor = SvgPicture::Anchor::Start;
  const auto [x, y] = places.place(pointX(plot, o), plot.py(o.measures.rmse / r.scenario.NN), label.size(), anchor);
  svg.text(x, y, label, 11.0, anchor, "fill=\"" + colourOf(o) + "\"");
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
  svg.text(left + 10, top + 38, "beach use: " + r.scenario.densityLabel + ", " + std::to_string(r.replicates) +
                                    " replicates", 12.0);
  results::drawAxes(svg, plot, "observer-hours", "relative RMSE (RMSE / NN)", &results::tickLabel, left + 22);
  const double target = plot.py(settings.TARGET_CV);
  svg.line(plot.left, target, plot.left + plot.width, target,
           "stroke=\"#b2182b\" stroke-width=\"2\" stroke-dasharray=\"8,5\"");
  svg.text(plot.left + plot.width - 4, target - 6, "target " + fixed(settings.TARGET_CV, 3), 11.5,
           SvgPicture::Anchor::End, "fill=\"#b2182b\"");
  LabelPlaces places(plot.left + 2.0, plot.left + plot.width + 60.0);
  for (const DesignOutcome& o : r.designs) {
    if (!o.skipped.empty()) continue;
    drawDesign(svg, plot, r, o, search.recommendation.design == o.design.index);
    places.keepClear(pointX(plot, o), plot.py(o.measures.rmse / r.scenario.NN));
  }
  for (const DesignOutcome& o : r.designs) {
    if (o.skipped.empty()) labelDesign(svg, plot, r, o, places);
  }
}

void drawLegend(SvgPicture& svg, double top, const SearchResult& search) {
  const double x = 30.0;
  svg.circle(x, top, 5, "fill=\"" + kFirstColour + "\" stroke=\"" + kFirstColour + "\" stroke-width=\"2\"");
  svg.text(x + 12, top + 4, "first-strip start", 12.0);
  svg.circle(x + 150, top, 5, "fill=\"" + kRandomColour + "\" stroke=\"" + kRandomColour + "\" stroke-width=\"2\"");
  svg.text(x + 162, top + 4, "random start (label ends in r)", 12.0);
  svg.circle(x + 380, top, 5, "fill=\"#ffffff\" stroke=\"" + kInfeasibleColour + "\" stroke-width=\"2\"");
  svg.text(x + 392, top + 4, "grey: a round does not fit in the hours between rounds", 12.0);
  svg.text(x, top + 24,
           "Filled: meets the targets (its bar reaches the red line or lies below it, coverage not significantly short); "
           "hollow: does not.",
           12.0);
  svg.text(x, top + 44,
           "Bars: 2 Monte Carlo standard errors either side. Labels: strips counted / hours between rounds "
           "(5/4h: 5 strips every 4 hours). Green ring: recommended.",
           12.0);
  // The recommendation, its first sentence on a line of its own.
  const std::string& text = search.recommendation.text;
  const std::size_t cut = text.find(". ") + 1;
  svg.text(x, top + 68, text.substr(0, cut), 13.0, SvgPicture::Anchor::Start, "font-weight=\"bold\"");
  if (cut > 0 && cut < text.size()) svg.text(x, top + 88, text.substr(cut + 1), 12.5);
}

}  // namespace

std::string searchPicture(const SearchSettings& settings, const SearchResult& search,
                          const std::vector<ScenarioResult>& results) {
  const int columns = std::clamp(static_cast<int>(results.size()), 1, 3);
  const int rows = std::max(1, (static_cast<int>(results.size()) + columns - 1) / columns);
  const double panelWidth = columns < 3 ? kWidePanel : kNarrowPanel;
  const double width = std::max(860.0, columns * panelWidth + 20.0);
  const double height = kHeader + rows * kPanelHeight + kLegend;
  SvgPicture svg(static_cast<int>(width), static_cast<int>(height), "Design search: cost against precision");
  svg.text(20, 30, "Which survey design? Cost (observer-hours) against precision (relative RMSE)", 18.0,
           SvgPicture::Anchor::Start, "font-weight=\"bold\"");
  svg.text(20, 52, "Every design counts the same synthetic arribadas in a scenario; lower is more precise, left is "
                   "cheaper.", 12.5);
  const Scales scales = scalesOf(settings, results);
  for (std::size_t i = 0; i < results.size(); ++i) {
    const double left = 10.0 + static_cast<double>(static_cast<int>(i) % columns) * panelWidth;
    const double top = kHeader + static_cast<double>(static_cast<int>(i) / columns) * kPanelHeight;
    drawPanel(svg, settings, scales, results[i], search, left, top, panelWidth);
  }
  drawLegend(svg, kHeader + rows * kPanelHeight + 20.0, search);
  return svg.document();
}

}  // namespace arribada::design
