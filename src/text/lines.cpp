#include "text/lines.hpp"

namespace arribada::text {

bool LineSource::next(std::string& line) {
  if (!std::getline(in_, line)) return false;
  // A file written with CR LF line ends reads the same as one with LF ends.
  if (!line.empty() && line.back() == '\r') line.pop_back();
  ++lineNumber_;
  return true;
}

std::string LineSource::where() const {
  return description_ + ", line " + std::to_string(lineNumber_);
}

}  // namespace arribada::text
