#include "design/design_file.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <fstream>
#include <map>
#include <optional>
#include <set>

#include "design/pilot.hpp"
#include "engine/parameters.hpp"
#include "fielddata/spreadsheet_text.hpp"
#include "text/errors.hpp"
#include "text/system_files.hpp"

namespace arribada::design {
namespace {

// The names of a design file, as docs/method.md lists them.
const std::vector<std::string>& knownNames() {
  static const std::vector<std::string> names{
      "NTR",   "DENSITY", "NN",    "IHR",           "MIN",           "STDDEV",      "KSW",
      "IREP",  "JX",      "IC",    "EVERY",         "START",         "ROUND_MINUTES", "STRIP_MINUTES",
      "TARGET_CV", "TARGET_COVERAGE", "TABLE_HOURS", "TABLE_WEIGHTS",
      // the crew, the effort's placement and the counts' error
      "OBSERVERS", "WALK_MINUTES", "ALLOCATION", "COUNT_CV",
      // last season's counts as scenarios
      "PILOT", "NN_FACTOR"};
  return names;
}
// The names that take exactly one value.
const std::set<std::string> kSingle{"NTR", "IREP", "JX", "ROUND_MINUTES", "STRIP_MINUTES", "TARGET_CV",
                                    "TARGET_COVERAGE", "WALK_MINUTES"};
// The names that may repeat, each line one scenario (or, for PILOT, one scenario per NN_FACTOR).
const std::set<std::string> kRepeatable{"DENSITY", "PILOT"};
// The names the file must give (NN unless a PILOT gives the arribada).
const std::vector<std::string> kRequired{"NTR", "IC", "ROUND_MINUTES", "STRIP_MINUTES", "TARGET_CV"};

std::string trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string nearestName(const std::string& name) {
  const auto& names = knownNames();
  return *std::min_element(names.begin(), names.end(), [&](const std::string& x, const std::string& y) {
    return editDistance(name, x) < editDistance(name, y);
  });
}

// What commas written without blanks between digits may have meant, said
// beside a fault of their line: "1,000,000" (thousands separators) or
// "0,1" (a decimal comma). A comma always separates two values.
std::optional<std::string> commaHint(const std::string& values) {
  std::vector<std::string> parts;
  for (std::size_t at = 0;;) {
    const std::size_t comma = values.find(',', at);
    parts.push_back(values.substr(at, comma - at));
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  const auto digits = [](const std::string& p) {
    return !p.empty() && std::all_of(p.begin(), p.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
  };
  if (parts.size() < 2 || !std::all_of(parts.begin(), parts.end(), digits)) return std::nullopt;
  const bool grouped = parts.front().size() <= 3 &&
                       std::all_of(parts.begin() + 1, parts.end(), [](const std::string& p) { return p.size() == 3; });
  if (grouped) {
    std::string joined;
    for (const std::string& p : parts) joined += p;
    return "a comma separates two values: write " + joined + " without thousands separators";
  }
  if (parts.size() == 2) return "a comma separates two values: write " + parts[0] + "." + parts[1] + " with a decimal point";
  return std::nullopt;
}

// One NAME = values line.
struct Entry {
  std::string name;
  std::vector<std::string> values;
  int line = 0;
};

class Reader {
 public:
  explicit Reader(std::string fileName) : file_(std::move(fileName)) {}

  void fault(int line, const std::string& what) {
    std::string text = file_ + (line > 0 ? ", line " + std::to_string(line) : std::string()) + ": " + what;
    if (const auto hint = hints_.find(line); hint != hints_.end() && hintGiven_.insert(line).second) {
      text += " (" + hint->second + ")";
    }
    faults_.push_back(text);
  }
  bool faulty() const { return !faults_.empty(); }
  [[noreturn]] void raise() const {
    std::string text = "the design file cannot be used:";
    for (const std::string& f : faults_) text += "\n  " + f;
    throw text::RunTimeError(text);
  }

  // Splits the file into entries, reporting lines of the wrong form and names that are unknown or repeated.
  std::vector<Entry> entries(std::istream& in) {
    std::vector<Entry> found;
    std::map<std::string, int> firstLine;
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
      if (line == 1 && text.starts_with("\xEF\xBB\xBF")) text.erase(0, 3);
      const std::string content = trimmed(std::string_view(text).substr(0, text.find('#')));
      if (content.empty()) continue;
      const std::size_t equals = content.find('=');
      if (equals == std::string::npos) {
        fault(line, "expected NAME = value[, value ...], found '" + content + "'");
        continue;
      }
      Entry e{upper(trimmed(std::string_view(content).substr(0, equals))), {}, line};
      if (std::find(knownNames().begin(), knownNames().end(), e.name) == knownNames().end()) {
        fault(line, "unknown name '" + e.name + "' (did you mean " + nearestName(e.name) + "?)");
        continue;
      }
      if (!kRepeatable.contains(e.name) && firstLine.contains(e.name)) {
        fault(line, e.name + " is given again (first on line " + std::to_string(firstLine[e.name]) +
                        "); only DENSITY and PILOT may repeat");
        continue;
      }
      firstLine.emplace(e.name, line);
      const std::string values = trimmed(std::string_view(content).substr(equals + 1));
      for (std::size_t at = 0;;) {
        const std::size_t comma = values.find(',', at);
        e.values.push_back(trimmed(std::string_view(values).substr(at, comma - at)));
        if (comma == std::string::npos) break;
        at = comma + 1;
      }
      if (const auto hint = commaHint(values)) hints_.emplace(line, *hint);
      if (std::any_of(e.values.begin(), e.values.end(), [](const std::string& v) { return v.empty(); })) {
        fault(line, e.name + " has an empty value: give " + (kSingle.contains(e.name) ? "one value" : "values separated by commas"));
        continue;
      }
      if (kSingle.contains(e.name) && e.values.size() != 1) {
        fault(line, e.name + " takes one value, not " + std::to_string(e.values.size()));
        continue;
      }
      found.push_back(std::move(e));
    }
    for (const std::string& name : kRequired) {
      if (!firstLine.contains(name)) fault(0, name + " is required and missing");
    }
    if (!firstLine.contains("NN") && !firstLine.contains("PILOT")) {
      fault(0, "NN is required and missing (or a PILOT survey that gives it)");
    }
    return found;
  }

  template <class T>
  std::vector<T> numbers(const Entry& e, const std::string& expected) {
    std::vector<T> out;
    for (const std::string& v : e.values) {
      T value{};
      if constexpr (std::is_integral_v<T>) {
        const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), value);
        if (error == std::errc() && end == v.data() + v.size()) {
          out.push_back(value);
          continue;
        }
      } else {
        // Read straight to the value's own type (one rounding: a float as
        // the parameter file reads it), by the readers that every standard
        // library has; a point is the decimal mark.
        std::optional<T> real;
        if constexpr (std::is_same_v<T, float>) {
          real = fielddata::cellReal(v, '.');
        } else {
          real = fielddata::cellNumber(v, '.');
        }
        if (real) {
          out.push_back(*real);
          continue;
        }
      }
      fault(e.line, e.name + " = '" + v + "' is not " + expected);
    }
    return out;
  }

  // The values of a name that takes words: each one of `words` (case-insensitive), as `meanings`.
  template <class T>
  std::vector<T> words(const Entry& e, const std::vector<std::pair<std::string, T>>& meanings) {
    std::vector<T> out;
    std::string expected;
    for (const auto& [word, meaning] : meanings) expected += (expected.empty() ? "" : " or ") + word;
    for (const std::string& v : e.values) {
      const auto found = std::find_if(meanings.begin(), meanings.end(),
                                      [&](const auto& m) { return upper(m.first) == upper(v); });
      if (found != meanings.end()) {
        out.push_back(found->second);
      } else {
        fault(e.line, e.name + " = '" + v + "' is not " + expected);
      }
    }
    return out;
  }

 private:
  std::string file_;
  std::vector<std::string> faults_;
  std::map<int, std::string> hints_;  // by line: what a comma there may have meant
  std::set<int> hintGiven_;           // lines whose hint a fault has said already
};

// The line of the argument a fault names: that of its first entry (or of
// the DENSITY it names), 0 when the file does not give the argument.
int lineOf(const std::vector<Entry>& entries, const SettingsFault& fault) {
  std::int32_t seen = 0;
  for (const Entry& e : entries) {
    if (e.name != fault.name) continue;
    if (fault.item < 0 || seen == fault.item) return e.line;
    ++seen;
  }
  return 0;
}

void fill(Reader& r, const Entry& e, SearchSettings& settings) {
  const std::string whole = "a whole number";
  const std::string real = "a number";
  const auto one = [](const auto& values, auto& target) {
    if (!values.empty()) target = values.front();
  };
  if (e.name == "NTR") one(r.numbers<std::int32_t>(e, whole), settings.NTR);
  if (e.name == "NN") settings.NN = r.numbers<std::int32_t>(e, whole);
  if (e.name == "IHR") settings.IHR = r.numbers<std::int32_t>(e, whole);
  if (e.name == "MIN") settings.MIN = r.numbers<float>(e, real);
  if (e.name == "STDDEV") settings.STDDEV = r.numbers<float>(e, real);
  if (e.name == "KSW") settings.KSW = r.numbers<std::int32_t>(e, whole);
  if (e.name == "IREP") one(r.numbers<std::int32_t>(e, whole), settings.IREP);
  if (e.name == "JX") one(r.numbers<std::int32_t>(e, whole), settings.JX);
  if (e.name == "IC") settings.IC = r.numbers<std::int32_t>(e, whole);
  if (e.name == "EVERY") settings.EVERY = r.numbers<std::int32_t>(e, whole);
  if (e.name == "START") settings.START = r.words<Start>(e, {{"first", Start::first}, {"random", Start::random}});
  if (e.name == "OBSERVERS") settings.OBSERVERS = r.numbers<std::int32_t>(e, whole);
  if (e.name == "WALK_MINUTES") one(r.numbers<double>(e, real), settings.WALK_MINUTES);
  if (e.name == "ALLOCATION") {
    settings.ALLOCATION = r.words<Allocation>(e, {{"even", Allocation::even}, {"density", Allocation::density}});
  }
  if (e.name == "COUNT_CV") settings.COUNT_CV = r.numbers<double>(e, real);
  if (e.name == "ROUND_MINUTES") one(r.numbers<double>(e, real), settings.ROUND_MINUTES);
  if (e.name == "STRIP_MINUTES") one(r.numbers<double>(e, real), settings.STRIP_MINUTES);
  if (e.name == "TARGET_CV") one(r.numbers<double>(e, real), settings.TARGET_CV);
  if (e.name == "TARGET_COVERAGE") one(r.numbers<double>(e, real), settings.TARGET_COVERAGE);
  if (e.name == "TABLE_HOURS" || e.name == "TABLE_WEIGHTS") {
    if (!settings.table) settings.table.emplace();
    (e.name == "TABLE_HOURS" ? settings.table->hourMarks : settings.table->weights) = r.numbers<float>(e, real);
  }
  if (e.name == "NN_FACTOR") settings.NN_FACTOR = r.numbers<double>(e, real);
  if (e.name == "DENSITY") {
    const std::vector<double> density = r.numbers<double>(e, "a relative density (a number of 0 or more)");
    settings.densities.push_back(density);
  }
}

// A pilot's file name as the system opens it: a relative one from the design file's folder.
std::string pilotPath(const std::string& name, const std::string& folder) {
  if (folder.empty() || !text::systemPath(name).is_relative()) return name;
  return folder + "/" + name;
}

// Reads every PILOT survey on the beach of settings.NTR (each fault on its line).
void readPilots(Reader& reader, const std::vector<Entry>& entries, const std::string& folder,
                SearchSettings& settings) {
  for (const Entry& e : entries) {
    if (e.name != "PILOT") continue;
    if (e.values.size() != 1) {
      reader.fault(e.line, "PILOT takes one survey file a line; give another PILOT line for each");
      continue;
    }
    try {
      settings.pilots.push_back(readPilot(pilotPath(e.values.front(), folder), e.values.front(), settings.NTR));
    } catch (const text::RunTimeError& error) {
      reader.fault(e.line, error.what());
    }
  }
}

}  // namespace

SearchSettings parseDesignFile(std::istream& in, const std::string& fileName, const std::string& folder) {
  Reader reader(fileName);
  const std::vector<Entry> entries = reader.entries(in);
  SearchSettings settings;
  bool densityGiven = false;
  for (const Entry& e : entries) {
    if (e.name == "DENSITY" && !densityGiven) {
      settings.densities.clear();
      densityGiven = true;
    }
    fill(reader, e, settings);
  }
  if (reader.faulty()) reader.raise();
  if (settings.NTR >= 1 && settings.NTR <= engine::kMaxStrips) readPilots(reader, entries, folder, settings);
  if (reader.faulty()) reader.raise();
  for (const SettingsFault& fault : validateSettings(settings)) reader.fault(lineOf(entries, fault), fault.message);
  if (reader.faulty()) reader.raise();
  return settings;
}

SearchSettings readDesignFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw text::RunTimeError("cannot open the design file '" + path + "'");
  const std::size_t slash = path.find_last_of("/\\");
  return parseDesignFile(in, path, slash == std::string::npos ? std::string() : path.substr(0, slash));
}

}  // namespace arribada::design
