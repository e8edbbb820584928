#include "text/lines.hpp"

#include <string_view>

#include "text/errors.hpp"

namespace arribada::text {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigMark = "\xFE\xFF";

}  // namespace

void LineSource::takeByteOrderMark(std::string& line) const {
  const std::string_view start(line);
  if (start.starts_with(kUtf8Mark)) {
    line.erase(0, kUtf8Mark.size());
    return;
  }
  if (start.starts_with(kUtf16LittleMark) || start.starts_with(kUtf16BigMark)) {
    throw RunTimeError(
        "read failed on " + description_ +
        ": the text is UTF-16 (\"Unicode\"), which the program does not read; save the file again as UTF-8 or "
        "ANSI text (in Notepad: File, Save As, Encoding UTF-8) and run again");
  }
}

bool LineSource::next(std::string& line) {
  if (!std::getline(in_, line)) return false;
  // Windows editors may begin a file with a byte-order mark.
  if (lineNumber_ == 0) takeByteOrderMark(line);
  // A file written with CR LF line ends reads the same as one with LF ends.
  if (!line.empty() && line.back() == '\r') line.pop_back();
  ++lineNumber_;
  return true;
}

bool LineSource::atEnd() { return in_.peek() == std::istream::traits_type::eof(); }

std::string LineSource::where() const { return description_ + ", line " + std::to_string(lineNumber_); }

std::string LineSource::placeOf(const std::string& what) const {
  if (keyboard_) return what + " (" + where() + ")";
  return what + ", line " + std::to_string(lineNumber_);
}

std::string LineSource::endedHere() const {
  return (keyboard_ ? "the keyboard input" : description_) + " ended after line " + std::to_string(lineNumber_);
}

}  // namespace arribada::text
