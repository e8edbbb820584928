#include "text/filenames.hpp"

#include "text/freeread.hpp"

namespace arribada::text {

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::string FileNamer::resolve(const std::string& typed, std::int32_t unit) {
  std::string name = trimmed(typed);
  if (!name.empty()) return name;
  if (nextArgument_ < arguments_.size()) return arguments_[nextArgument_++];
  for (;;) {
    console_.screen().writeRaw("File name missing or blank - please enter file name\nUNIT" +
                               formatInteger(unit, kIntegerField) + "? ");
    name = trimmed(readWholeLine(console_.keyboard()));
    if (!name.empty()) return name;
  }
}

}  // namespace arribada::text
