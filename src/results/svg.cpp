#include "results/svg.hpp"

#include <cstdint>
#include <cstdio>

#include "text/utf8.hpp"

namespace arribada::results {
namespace {

std::string anchorName(SvgPicture::Anchor anchor) {
  switch (anchor) {
    case SvgPicture::Anchor::Middle:
      return "middle";
    case SvgPicture::Anchor::End:
      return "end";
    case SvgPicture::Anchor::Start:
      break;
  }
  return "start";
}

}  // namespace

std::string xmlText(std::string_view raw) {
  const bool utf8 = text::isUtf8(raw);
  std::string out;
  for (const char c : raw) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) continue;  // XML 1.0 admits no control characters but tab and line ends
    if (byte >= 0x80 && !utf8) {
      out += static_cast<char>(0xC0 | (byte >> 6));
      out += static_cast<char>(0x80 | (byte & 0x3F));
      continue;
    }
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string svgNumber(double value) { return decimalText(value, 2); }

std::string decimalText(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string text = buffer;
  for (char& c : text) {
    if (c == ',') c = '.';
  }
  return text;
}

SvgPicture::SvgPicture(int width, int height, const std::string& title) : width_(width), height_(height) {
  body_ += "<title>" + xmlText(title) + "</title>\n";
  rect(0, 0, width, height, "fill=\"white\"");
}

void SvgPicture::line(double x1, double y1, double x2, double y2, const std::string& style) {
  body_ += "<line x1=\"" + svgNumber(x1) + "\" y1=\"" + svgNumber(y1) + "\" x2=\"" + svgNumber(x2) + "\" y2=\"" +
           svgNumber(y2) + "\" " + style + "/>\n";
}

void SvgPicture::rect(double x, double y, double width, double height, const std::string& style) {
  body_ += "<rect x=\"" + svgNumber(x) + "\" y=\"" + svgNumber(y) + "\" width=\"" + svgNumber(width) + "\" height=\"" +
           svgNumber(height) + "\" " + style + "/>\n";
}

namespace {
std::string pointList(const SvgPicture::Points& points) {
  std::string list;
  for (const auto& [x, y] : points) {
    if (!list.empty()) list += ' ';
    list += svgNumber(x);
    list += ',';
    list += svgNumber(y);
  }
  return list;
}
}  // namespace

void SvgPicture::polyline(const Points& points, const std::string& style) {
  body_ += "<polyline points=\"" + pointList(points) + "\" fill=\"none\" " + style + "/>\n";
}

void SvgPicture::polygon(const Points& points, const std::string& style) {
  body_ += "<polygon points=\"" + pointList(points) + "\" " + style + "/>\n";
}

void SvgPicture::circle(double cx, double cy, double r, const std::string& style) {
  body_ +=
      "<circle cx=\"" + svgNumber(cx) + "\" cy=\"" + svgNumber(cy) + "\" r=\"" + svgNumber(r) + "\" " + style + "/>\n";
}

void SvgPicture::text(double x, double y, const std::string& content, double size, Anchor anchor,
                      const std::string& style) {
  body_ += "<text x=\"" + svgNumber(x) + "\" y=\"" + svgNumber(y) + "\" font-size=\"" + svgNumber(size) +
           "\" text-anchor=\"" + anchorName(anchor) + "\"" + (style.empty() ? "" : " " + style) + ">" +
           xmlText(content) + "</text>\n";
}

void SvgPicture::verticalText(double x, double y, const std::string& content, double size) {
  body_ += "<text transform=\"translate(" + svgNumber(x) + "," + svgNumber(y) + ") rotate(-90)\" font-size=\"" +
           svgNumber(size) + "\" text-anchor=\"middle\">" + xmlText(content) + "</text>\n";
}

std::string SvgPicture::document() const {
  const std::string w = std::to_string(width_);
  const std::string h = std::to_string(height_);
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
         w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h +
         "\" font-family=\"sans-serif\" fill=\"#222222\">\n" + body_ + "</svg>\n";
}

}  // namespace arribada::results
