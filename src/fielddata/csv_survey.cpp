#include "fielddata/csv_survey.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <map>
#include <stdexcept>

#include "fielddata/spreadsheet_text.hpp"
#include "fielddata/strata.hpp"
#include "text/errors.hpp"

namespace arribada::fielddata {
namespace {

constexpr std::int32_t kLargestCount = 32767;  // a cell of the count grid
constexpr const char* kValueNames[] = {"AREA",     "WIDTH",     "HOURS", "MEANT", "LENGTH", "WEIGHTS",
                                       "MEANT_SE", "DURATIONS", "TITLE", "DATE",   "STRIPS",
                                       "STRATUM",  "STRATUM_AREA"};

// Rows and columns counted from 1, as a spreadsheet shows them.
[[noreturn]] void fault(const std::string& file, std::size_t row, std::size_t column, const std::string& why) {
  throw text::RunTimeError("the survey file " + file + ", row " + std::to_string(row) + ", column " +
                           std::to_string(column) + ": " + why);
}

[[noreturn]] void fault(const std::string& file, const SurveyFault& f) {
  fault(file, f.place.row, f.place.column, f.why);
}

struct Layout {
  char separator = ',';
  char decimalMark = '.';
};

Layout layoutOf(const std::string& headerRow) {
  return headerRow.find(';') != std::string::npos ? Layout{';', ','} : Layout{',', '.'};
}

std::string markHint(const Layout& layout) {
  return layout.separator == ';' ? " (with ';' between the cells the decimal mark is the comma: 0,5)"
                                 : " (with ',' between the cells the decimal mark is the point: 0.5)";
}

// A value of a `# NAME = value` line, with the column it stands in.
struct Token {
  std::string text;
  std::size_t column = 1;
};

struct ValueLine {
  std::size_t row = 0;
  std::vector<Token> tokens;
  std::string text;  // everything after '=', cells joined again (a TITLE)
};

bool isValueLine(const std::string& line) {
  const std::string start = trimmed(line);
  return start.starts_with('#') || start.starts_with("\"#");
}

// The cells of `row`, a quote left open refused.
std::vector<std::string> cellsOf(const std::string& line, const Layout& layout, const std::string& file,
                                 std::size_t row) {
  CellSplit split = splitCells(line, layout.separator);
  if (split.unclosedQuote) fault(file, row, *split.unclosedQuote + 1, "a double quote opens a cell that never closes");
  while (!split.cells.empty() && trimmed(split.cells.back()).empty()) split.cells.pop_back();
  return split.cells;
}

void addWords(std::vector<Token>& tokens, const std::string& cell, std::size_t column) {
  std::size_t at = 0;
  while ((at = cell.find_first_not_of(" \t", at)) != std::string::npos) {
    const std::size_t end = std::min(cell.find_first_of(" \t", at), cell.size());
    tokens.push_back({cell.substr(at, end - at), column});
    at = end;
  }
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// Reads the `# NAME = value` lines above the header row into `values`.
void readValueLine(const std::string& line, std::size_t row, const Layout& layout, const std::string& file,
                   std::map<std::string, ValueLine>& values) {
  const std::vector<std::string> cells = cellsOf(line, layout, file, row);
  const std::string first = trimmed(cells.front()).substr(1);
  const std::size_t equals = first.find('=');
  if (equals == std::string::npos) {
    fault(file, row, 1, "a line beginning with '#' gives a value as '# NAME = value'");
  }
  const std::string name = upper(trimmed(first.substr(0, equals)));
  if (std::find(std::begin(kValueNames), std::end(kValueNames), name) == std::end(kValueNames)) {
    fault(file, row, 1,
          "'" + name +
              "' is not a survey value (AREA, WIDTH, HOURS, MEANT, LENGTH, WEIGHTS, MEANT_SE, DURATIONS, TITLE, DATE, "
              "STRIPS, STRATUM, STRATUM_AREA)");
  }
  if (values.contains(name)) {
    fault(file, row, 1, name + " is given twice (also on row " + std::to_string(values[name].row) + ")");
  }
  ValueLine value{row, {}, trimmed(first.substr(equals + 1))};
  addWords(value.tokens, first.substr(equals + 1), 1);
  for (std::size_t c = 1; c < cells.size(); ++c) {
    addWords(value.tokens, cells[c], c + 1);
    value.text += layout.separator + cells[c];
  }
  values[name] = value;
}

// The survey's values with the places they were read from.
class Values {
 public:
  Values(std::map<std::string, ValueLine> lines, const Layout& layout, const std::string& file, std::size_t headerRow)
      : lines_(std::move(lines)), layout_(layout), file_(file), headerRow_(headerRow) {}

  bool given(const std::string& name) const { return lines_.contains(name); }
  const ValueLine& line(const std::string& name) const { return lines_.at(name); }
  std::map<std::string, Place> places() const {
    std::map<std::string, Place> places;
    for (const auto& [name, line] : lines_) places[name] = {line.row, 1};
    return places;
  }

  // The one value of a required line.
  float single(const std::string& name) const {
    if (!given(name)) {
      fault(file_, headerRow_, 1, name + " is missing: give it on a line '# " + name + " = value' above this header row");
    }
    const ValueLine& v = line(name);
    if (v.tokens.size() != 1) {
      fault(file_, v.row, v.tokens.empty() ? 1 : v.tokens[1].column,
            name + " takes one value; the line gives " + std::to_string(v.tokens.size()) + decimalCommaHint(v));
    }
    return number(name, v.tokens.front(), v.row);
  }

  std::vector<float> list(const std::string& name) const {
    std::vector<float> numbers;
    const ValueLine& v = line(name);
    for (const Token& token : v.tokens) numbers.push_back(number(name, token, v.row));
    if (numbers.empty()) fault(file_, v.row, 1, name + " gives no value");
    return numbers;
  }

 private:
  float number(const std::string& name, const Token& token, std::size_t row) const {
    const std::optional<float> value = cellReal(token.text, layout_.decimalMark);
    if (!value) fault(file_, row, token.column, name + ": '" + token.text + "' is not a number" + markHint(layout_));
    return *value;
  }

  // Two numbers in two cells of a comma-separated file: a decimal comma, most likely.
  std::string decimalCommaHint(const ValueLine& v) const {
    if (layout_.separator != ',' || v.tokens.size() != 2 || v.tokens[0].column == v.tokens[1].column) return "";
    const std::string meant = v.tokens[0].text + "." + v.tokens[1].text;
    if (!cellNumber(meant, '.')) return "";
    return " (with ',' between the cells a decimal comma splits a number in two: write " + meant + ")";
  }

  std::map<std::string, ValueLine> lines_;
  Layout layout_;
  const std::string& file_;
  std::size_t headerRow_;
};

// MEANT and its standard error: given, or from the timed females' durations
// (their mean, and their standard deviation over the square root of their number).
struct ActivityTime {
  float MEANT = 0.0f;
  std::optional<float> SE;
};

ActivityTime activityTime(const Values& values, const std::string& file) {
  if (!values.given("DURATIONS")) {
    ActivityTime t{values.single("MEANT"), std::nullopt};
    if (values.given("MEANT_SE")) {
      t.SE = values.single("MEANT_SE");
      if (*t.SE < 0.0f) fault(file, values.line("MEANT_SE").row, 1, "MEANT_SE cannot be below 0");
    }
    return t;
  }
  for (const char* instead : {"MEANT", "MEANT_SE"}) {
    if (values.given(instead)) {
      fault(file, values.line(instead).row, 1,
            std::string(instead) + " and DURATIONS are both given: DURATIONS gives MEANT and its standard error");
    }
  }
  const std::vector<float> minutes = values.list("DURATIONS");
  const ValueLine& line = values.line("DURATIONS");
  if (minutes.size() < 2) fault(file, line.row, 1, "DURATIONS needs two timed females at least for a standard error");
  for (std::size_t i = 0; i < minutes.size(); ++i) {
    if (minutes[i] <= 0.0f) fault(file, line.row, line.tokens[i].column, "a duration must be above 0 minutes");
  }
  const double n = static_cast<double>(minutes.size());
  double sum = 0.0;
  for (const float m : minutes) sum += m;
  const double mean = sum / n;
  double squares = 0.0;
  for (const float m : minutes) squares += (m - mean) * (m - mean);
  return {static_cast<float>(mean), static_cast<float>(std::sqrt(squares / (n - 1.0) / n))};
}

// A clock time HH:MM or HH:MM:SS as hours; none for another text.
std::optional<double> clockHours(const std::string& text) {
  int parts[3] = {0, 0, 0};
  int count = 0;
  std::size_t at = 0;
  while (count < 3) {
    const std::size_t end = std::min(text.find(':', at), text.size());
    const std::string digits = text.substr(at, end - at);
    if (digits.empty() || digits.size() > 2 || digits.find_first_not_of("0123456789") != std::string::npos) {
      return std::nullopt;
    }
    parts[count++] = std::stoi(digits);
    if (end == text.size()) break;
    at = end + 1;
  }
  if (count < 2 || at > text.size() || parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
  return parts[0] + parts[1] / 60.0 + parts[2] / 3600.0;
}

// The time column: all clock times or all hours since the first count, increasing.
class TimeColumn {
 public:
  TimeColumn(const std::string& file, const Layout& layout) : file_(file), layout_(layout) {}

  void add(const std::string& cell, std::size_t row) {
    const std::string text = trimmed(cell);
    if (text.empty()) fault(file_, row, 1, "the time is empty");
    const bool clock = text.find(':') != std::string::npos;
    const std::optional<double> value = clock ? clockHours(text) : cellNumber(text, layout_.decimalMark);
    if (!value || *value < 0.0) {
      fault(file_, row, 1,
            "'" + text + "' is neither a clock time (HH:MM) nor a number of hours since the first count" +
                (clock ? std::string() : markHint(layout_)));
    }
    if (!times_.hours.empty() && clock != times_.clock) {
      fault(file_, row, 1, "the times mix clock times (HH:MM) and hours since the first count");
    }
    times_.clock = clock;
    place(*value, row);
  }
  const SamplingTimes& times() const { return times_; }

 private:
  // Clock times that fall back have crossed midnight: once in a night.
  void place(double value, std::size_t row) {
    double hours = value + (crossedMidnight_ ? 24.0 : 0.0);
    if (!times_.hours.empty() && hours <= times_.hours.back()) {
      if (hours == times_.hours.back()) fault(file_, row, 1, "the same time as the row above");
      if (!times_.clock || crossedMidnight_) {
        fault(file_, row, 1, "the times must increase from row to row (a night crosses midnight once at most)");
      }
      crossedMidnight_ = true;
      hours += 24.0;
    }
    times_.hours.push_back(hours);
  }

  const std::string& file_;
  Layout layout_;
  SamplingTimes times_;
  bool crossedMidnight_ = false;
};

bool wholeNumberText(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

std::int32_t countIn(const std::string& cell, const std::string& transect, const Layout& layout,
                     const std::string& file, std::size_t row, std::size_t column) {
  const std::string text = trimmed(cell);
  const std::string what = "the count of transect " + transect;
  if (text.empty()) fault(file, row, column, what + " is empty: write 0 where no turtle was counted");
  const std::optional<double> value = cellNumber(text, layout.decimalMark);
  if (!value) fault(file, row, column, what + ", '" + text + "', is not a number");
  // Digits only: 3.0 and 1E+01 are refused as a field-data file refuses them.
  if (!wholeNumberText(text) || *value > kLargestCount) {
    fault(file, row, column,
          what + ", " + text + ", is not a whole number of turtles from 0 to " + std::to_string(kLargestCount));
  }
  return static_cast<std::int32_t>(*value);
}

// The header row's transect names, blank ones named by their column.
std::vector<std::string> transectNames(const std::vector<std::string>& header) {
  std::vector<std::string> names;
  for (std::size_t c = 1; c < header.size(); ++c) {
    const std::string name = trimmed(header[c]);
    names.push_back(name.empty() ? "in column " + std::to_string(c + 1) : "'" + name + "'");
  }
  return names;
}

// STRIPS: one whole number of 1 or more per transect, all different.
std::optional<TransectStrips> transectStrips(const Values& values, std::size_t transects, const std::string& file) {
  if (!values.given("STRIPS")) return std::nullopt;
  const ValueLine& line = values.line("STRIPS");
  const std::vector<float> numbers = values.list("STRIPS");
  TransectStrips out{{}, line.row, {}};
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const std::size_t column = line.tokens[i].column;
    const float strip = numbers[i];
    if (!(strip >= 1.0f && strip <= 1.0e6f) || strip != std::floor(strip)) {
      fault(file, line.row, column, "STRIPS: '" + line.tokens[i].text + "' is not a strip number (a whole number of 1 or more)");
    }
    const auto number = static_cast<std::int32_t>(strip);
    const auto earlier = std::find(out.strips.begin(), out.strips.end(), number);
    if (earlier != out.strips.end()) {
      fault(file, line.row, column,
            "STRIPS: strip " + std::to_string(number) + " is given to two transects (also in column " +
                std::to_string(out.columns[static_cast<std::size_t>(earlier - out.strips.begin())]) + ")");
    }
    out.strips.push_back(number);
    out.columns.push_back(column);
  }
  if (out.strips.size() != transects) {
    fault(file, line.row, 1,
          "STRIPS gives " + std::to_string(out.strips.size()) + " strips for the " + std::to_string(transects) +
              " transects of the header row");
  }
  return out;
}

// The place a header problem belongs to: a value's line, or the header row for the
// number of transects.
void refuseHeaderProblem(const FieldHeader& h, const Values& values, const std::string& file, std::size_t headerRow) {
  const std::optional<HeaderProblem> problem = headerProblem(h);
  if (!problem) return;
  const std::string& name = problem->value;
  if (name == "NTR") fault(file, headerRow, 2, "the header row names " + problem->why);
  const std::string source = name == "MEANT" && values.given("DURATIONS") ? "DURATIONS" : name;
  fault(file, values.line(source).row, 1, problem->why);
}

// A row that reads as a sampling time and its counts where the header row
// should stand: the spreadsheet was saved without the row of names.
void refuseMissingHeaderRow(const std::vector<std::string>& cells, const std::string& line, const Layout& layout,
                            const std::string& file, std::size_t row) {
  if (cells.size() < 2) return;
  const std::string first = trimmed(cells.front());
  const bool time = clockHours(first) || cellNumber(first, layout.decimalMark);
  if (!time) return;
  for (std::size_t c = 1; c < cells.size(); ++c) {
    if (!wholeNumberText(trimmed(cells[c]))) return;
  }
  fault(file, row, 1,
        "no header row: '" + trimmed(line).substr(0, 40) +
            "' reads as a sampling time and its counts; add above it a row naming the time column and the "
            "transects (time,T1,T2,...)");
}

// Cells separated by tabs: a sheet saved as "Text (tab delimited)".
void refuseTabs(const std::string& line, const std::string& file, std::size_t row) {
  if (line.find('\t') == std::string::npos || line.find_first_of(",;") != std::string::npos) return;
  fault(file, row, 1,
        "the cells are separated by tabs: save the sheet as CSV (comma- or semicolon-separated) instead of as "
        "tab-delimited text");
}

// A date YYYY-MM-DD that names a night.
std::string dateOf(const Values& values, const std::string& file) {
  if (!values.given("DATE")) return "";
  const ValueLine& line = values.line("DATE");
  const std::string date = trimmed(line.text);
  static constexpr int kDaysIn[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool shaped = date.size() == 10 && date[4] == '-' && date[7] == '-' &&
                      (date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2)).find_first_not_of("0123456789") ==
                          std::string::npos;
  const int month = shaped ? std::stoi(date.substr(5, 2)) : 0;
  const int day = shaped ? std::stoi(date.substr(8, 2)) : 0;
  if (month < 1 || month > 12 || day < 1 || day > kDaysIn[month - 1]) {
    fault(file, line.row, 1, "DATE = " + date.substr(0, 40) + " is not a date written YYYY-MM-DD (2026-11-03)");
  }
  return date;
}

// HOURS as given, or from the times when it is left out.
float hoursOf(const Values& values, const SamplingTimes& times) {
  if (values.given("HOURS")) return values.single("HOURS");
  if (const std::optional<double> implied = hoursFromTimes(times.hours)) return static_cast<float>(*implied);
  return values.single("HOURS");  // missing, and no times to take it from
}

// The rows of the counts: from the one below the header row to the last that is not blank.
struct CountRows {
  std::size_t first = 0;  // 0-based line indices
  std::size_t end = 0;
};

CountRows countRows(const std::vector<std::string>& lines, std::size_t header, const std::string& file) {
  std::size_t last = lines.size();
  while (last > header + 1 && blankLine(lines[last - 1])) --last;
  if (last == header + 1) fault(file, header + 2, 1, "there are no counts below the header row");
  const std::size_t rows = last - header - 1;
  if (rows > static_cast<std::size_t>(kMaxSamplingTimes)) {
    fault(file, header + 2 + kMaxSamplingTimes, 1,
          "a sampling time past the " + std::to_string(kMaxSamplingTimes) +
              " that the program holds (NT1 = " + std::to_string(rows) + " rows of counts)");
  }
  return {header + 1, last};
}

// The rows of counts, time after time and transect after transect in each;
// each row's time goes to `times`.
std::vector<std::int32_t> readCountRows(const std::vector<std::string>& lines, const CountRows& rows,
                                        const std::vector<std::string>& names, const Layout& layout,
                                        const std::string& file, TimeColumn& times) {
  const std::size_t NTR = names.size();
  std::vector<std::int32_t> counts;
  for (std::size_t i = rows.first; i < rows.end; ++i) {
    const std::size_t row = i + 1;
    if (blankLine(lines[i])) fault(file, row, 1, "an empty row among the counts: remove it, or give its counts");
    const std::vector<std::string> cells = cellsOf(lines[i], layout, file, row);
    if (cells.size() > NTR + 1) {
      fault(file, row, NTR + 2, "a value beyond the last transect column that the header row names");
    }
    times.add(cells.front(), row);
    for (std::size_t j = 0; j < NTR; ++j) {
      const std::string cell = j + 1 < cells.size() ? cells[j + 1] : std::string();
      counts.push_back(countIn(cell, names[j], layout, file, row, j + 2));
    }
  }
  return counts;
}

}  // namespace

namespace {

// Each transect's stratum: whole numbers from 1, one a transect, every
// stratum up to the largest with a transect of its own.
std::vector<std::int32_t> transectStrata(const Values& values, std::size_t NTR, const std::string& file) {
  const ValueLine& line = values.line("STRATUM");
  const std::vector<float> numbers = values.list("STRATUM");
  if (numbers.size() != NTR) {
    fault(file, line.row, 1,
          "STRATUM gives " + std::to_string(numbers.size()) + " strata for the " + std::to_string(NTR) +
              " transects of the header row");
  }
  std::vector<std::int32_t> strata;
  for (std::size_t j = 0; j < numbers.size(); ++j) {
    const float n = numbers[j];
    if (!(n >= 1.0f && n <= static_cast<float>(NTR) && n == std::floor(n))) {
      fault(file, line.row, line.tokens[j].column,
            "STRATUM: the stratum of transect " + std::to_string(j + 1) + " is a whole number from 1 to " +
                std::to_string(NTR) + ", not '" + line.tokens[j].text + "'");
    }
    strata.push_back(static_cast<std::int32_t>(n));
  }
  const std::int32_t largest = *std::max_element(strata.begin(), strata.end());
  for (std::int32_t h = 1; h < largest; ++h) {
    if (std::find(strata.begin(), strata.end(), h) == strata.end()) {
      fault(file, line.row, 1, "STRATUM: stratum " + std::to_string(h) + " has no transect (strata are numbered 1, 2, ... without gaps)");
    }
  }
  return strata;
}

// STRATUM and STRATUM_AREA, both or neither.
Strata strataOf(const Values& values, const FieldHeader& h, std::size_t NTR, const std::string& file) {
  if (!values.given("STRATUM") && !values.given("STRATUM_AREA")) return {};
  const char* given = values.given("STRATUM") ? "STRATUM" : "STRATUM_AREA";
  const char* missing = values.given("STRATUM") ? "STRATUM_AREA" : "STRATUM";
  if (!values.given(missing)) {
    fault(file, values.line(given).row, 1, std::string(given) + " needs " + missing + " too (a stratified survey gives both)");
  }
  Strata strata{transectStrata(values, NTR, file), values.list("STRATUM_AREA")};
  const ValueLine& line = values.line("STRATUM_AREA");
  const std::size_t count = static_cast<std::size_t>(*std::max_element(strata.of.begin(), strata.of.end()));
  if (strata.areas.size() != count) {
    fault(file, line.row, 1,
          "STRATUM_AREA gives " + std::to_string(strata.areas.size()) + " areas for the " + std::to_string(count) +
              " strata of STRATUM");
  }
  double sum = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!(strata.areas[i] > 0.0f)) {
      fault(file, line.row, line.tokens[i].column, "STRATUM_AREA: the area of stratum " + std::to_string(i + 1) + " must be above 0");
    }
    sum += strata.areas[i];
  }
  if (std::abs(sum - h.AREA) > 0.01 * h.AREA) {
    fault(file, line.row, 1,
          "STRATUM_AREA adds up to " + std::to_string(sum) + " km^2, not AREA = " + std::to_string(h.AREA) +
              " (within 1%)");
  }
  return strata;
}

// Each stratum's transects against its STRATUM_AREA, as the stratum is
// analysed: a sample larger than the area it stands for.
void refuseStrataSmallerThanTheirSamples(const Survey& survey, const Strata& strata, const Values& values,
                                         const std::string& file) {
  for (std::size_t i = 0; i < strata.areas.size(); ++i) {
    const auto stratum = static_cast<std::int32_t>(i + 1);
    const ValueLine& line = values.line("STRATUM_AREA");
    const Place place{line.row, line.tokens[i].column};
    const std::string name = "the STRATUM_AREA of stratum " + std::to_string(stratum);
    if (const auto problem = sampleAreaFault(stratumSurvey(survey, strata, stratum).header, place, name)) {
      fault(file, *problem);
    }
  }
}

}  // namespace

bool isCsvSurvey(const std::string& name, std::string_view bytes) {
  const std::string ending = name.size() >= 4 ? upper(name.substr(name.size() - 4)) : "";
  if (ending == ".CSV") return true;
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  const std::string firstLine(bytes.substr(0, bytes.find('\n')));
  return isValueLine(firstLine);
}

CsvSurvey readCsvSurvey(std::string_view bytes, const std::string& file, text::Warnings warnings) {
  std::string text;
  try {
    text = decodeSpreadsheetText(bytes);
  } catch (const std::invalid_argument& why) {
    fault(file, 1, 1, why.what());
  }
  const std::vector<std::string> lines = textLines(text);
  std::size_t header = 0;
  while (header < lines.size() && (blankLine(lines[header]) || isValueLine(lines[header]))) ++header;
  if (header == lines.size()) {
    fault(file, lines.size() + 1, 1, "there is no header row (the time column, then one column per transect)");
  }
  const Layout layout = layoutOf(lines[header]);
  const std::size_t headerRow = header + 1;
  refuseTabs(lines[header], file, headerRow);
  std::map<std::string, ValueLine> valueLines;
  for (std::size_t i = 0; i < header; ++i) {
    if (isValueLine(lines[i])) readValueLine(lines[i], i + 1, layout, file, valueLines);
  }
  const Values values(std::move(valueLines), layout, file, headerRow);

  const std::vector<std::string> headerCells = cellsOf(lines[header], layout, file, headerRow);
  refuseMissingHeaderRow(headerCells, lines[header], layout, file, headerRow);
  const std::vector<std::string> names = transectNames(headerCells);
  const std::size_t NTR = names.size();
  if (NTR == 0) fault(file, headerRow, 2, "the header row names no transect column after the time column");
  const CountRows rows = countRows(lines, header, file);

  TimeColumn times(file, layout);
  const std::vector<std::int32_t> counts = readCountRows(lines, rows, names, layout, file, times);

  const ActivityTime activity = activityTime(values, file);
  const std::vector<float> weights = values.given("WEIGHTS") ? values.list("WEIGHTS") : std::vector<float>{};
  FieldHeader h;
  h.AREA = values.single("AREA");
  h.WIDTH = values.single("WIDTH");
  h.HOURS = hoursOf(values, times.times());
  h.MEANT = activity.MEANT;
  h.LENGTH = values.single("LENGTH");
  h.NTR = static_cast<std::int32_t>(std::min<std::size_t>(NTR, kMaxTransects + 1));
  h.NT1 = static_cast<std::int32_t>(rows.end - rows.first);
  h.CODE = 1.0f;
  h.JCODE = weights.empty() ? 0 : 1;

  if (!weights.empty() && weights.size() != NTR) {
    fault(file, values.line("WEIGHTS").row, 1,
          "WEIGHTS gives " + std::to_string(weights.size()) + " weights for the " + std::to_string(NTR) +
              " transects of the header row");
  }
  CsvSurvey survey{{file, h, SurveyCounts(h.NTR, h.NT1), weights}, {},   activity.SE, times.times(),
                   dateOf(values, file),                                transectStrips(values, NTR, file),
                   {}};
  if (values.given("TITLE")) survey.title = values.line("TITLE").text;
  std::size_t i = 0;
  for (std::int32_t k = 0; k < h.NT1; ++k) {
    for (std::int32_t j = 0; j < h.NTR; ++j) survey.survey.counts.set(j, k, counts[i++]);
  }
  SurveyTable table{h, weights, values.places(), {}, survey.survey.counts, survey.times, {headerRow, 1, 2}};
  for (std::size_t c = 1; c < headerCells.size(); ++c) table.transects.push_back(trimmed(headerCells[c]));
  if (const std::optional<SurveyFault> problem = surveyFault(table)) fault(file, *problem);
  refuseHeaderProblem(h, values, file, headerRow);
  if (const auto warning = meantUnitWarning(h.MEANT, " in " + file)) warnings.warn(*warning);
  survey.strata = strataOf(values, h, NTR, file);
  if (survey.strata.given()) refuseStrataSmallerThanTheirSamples(survey.survey, survey.strata, values, file);
  return survey;
}

}  // namespace arribada::fielddata
