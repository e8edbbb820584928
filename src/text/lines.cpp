#include "text/lines.hpp"

namespace arribada::text {

bool LineSource::next(std::string& line) {
  if (!std::getline(in_, line)) return false;
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
