#pragma once
// Pictures as self-contained SVG documents: shapes and texts only, no
// scripts, no external files or fonts (the generic family sans-serif), so
// any browser, word processor or renderer shows them as they are.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace arribada::results {

// `raw` as XML character data: & < > " escaped, control characters dropped,
// and bytes that are not UTF-8 (a title typed in Latin-1 or Windows-1252)
// read as Latin-1, so the document always parses.
std::string xmlText(std::string_view raw);

// `value` with `decimals` decimals and a point, whatever the locale.
std::string decimalText(double value, int decimals);

// A coordinate or length: two decimals.
std::string svgNumber(double value);

class SvgPicture {
 public:
  enum class Anchor { Start, Middle, End };
  using Points = std::vector<std::pair<double, double>>;

  // `title` becomes the document's <title>, shown by viewers as its name.
  SvgPicture(int width, int height, const std::string& title);

  // `style` holds presentation attributes, e.g. stroke="#333" stroke-width="1".
  void line(double x1, double y1, double x2, double y2, const std::string& style);
  void rect(double x, double y, double width, double height, const std::string& style);
  void polyline(const Points& points, const std::string& style);
  // A closed shape; `style` gives its fill.
  void polygon(const Points& points, const std::string& style);
  void circle(double cx, double cy, double r, const std::string& style);
  void text(double x, double y, const std::string& content, double size, Anchor anchor = Anchor::Start,
            const std::string& style = "");
  // A text turned a quarter left about its anchor point (a vertical axis label).
  void verticalText(double x, double y, const std::string& content, double size);

  // The whole document.
  std::string document() const;

 private:
  int width_;
  int height_;
  std::string body_;
};

}  // namespace arribada::results
