#pragma once
// The field-data file after its title line: the survey header, the counts of
// turtles in unambiguous egg-laying activity (UELA) per sample transect and
// sampling time, in one of two layouts, and the optional transect weights.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "engine/parameters.hpp"
#include "text/channels.hpp"
#include "text/lines.hpp"

namespace arribada::fielddata {

// Capacities of the count grid and of the weights. The counts of a survey
// take the place of a simulation's count grid, with its capacity.
inline constexpr std::int32_t kMaxTransects = engine::kMaxStrips;
inline constexpr std::int32_t kMaxSamplingTimes = engine::kMaxHours + 1;
inline constexpr std::int32_t kMaxWeightedTransects = 100;

// The nine header values, in the order in which they stand in the file.
struct FieldHeader {
  float AREA = 0.0f;    // area used by the nesting population, km^2
  float WIDTH = 0.0f;   // transect half-width, m
  float HOURS = 0.0f;   // length of the arribada, hours
  float MEANT = 0.0f;   // mean time of egg-laying activity of one female, minutes
  float LENGTH = 0.0f;  // total length of the transects, m
  std::int32_t NTR = 0;  // sample transects
  std::int32_t NT1 = 0;  // sampling times
  float CODE = 0.0f;     // 1.0: counts in free layout; anything else: one count per line
  std::int32_t JCODE = 0;  // 1: a list of transect weights follows the counts

  bool freeLayout() const { return CODE == 1.0f; }
  bool weighted() const { return JCODE == 1; }
  bool operator==(const FieldHeader&) const = default;
};

// The header's nine values by name, in the file's order: the one list that
// the reader's messages, the results tables' columns and the hosts' named
// values all take their names from.
struct HeaderField {
  const char* name;
  std::variant<float FieldHeader::*, std::int32_t FieldHeader::*> member;
};
inline constexpr std::array<HeaderField, 9> kHeaderFields = {{{"AREA", &FieldHeader::AREA},
                                                              {"WIDTH", &FieldHeader::WIDTH},
                                                              {"HOURS", &FieldHeader::HOURS},
                                                              {"MEANT", &FieldHeader::MEANT},
                                                              {"LENGTH", &FieldHeader::LENGTH},
                                                              {"NTR", &FieldHeader::NTR},
                                                              {"NT1", &FieldHeader::NT1},
                                                              {"CODE", &FieldHeader::CODE},
                                                              {"JCODE", &FieldHeader::JCODE}}};

// What makes a header unusable: a survey larger than the grid, one without
// counts, or one whose areas or activity time would make the estimate a
// division by zero. `value` names the header value at fault (for LENGTH and
// WIDTH giving a sample area of 0, LENGTH).
struct HeaderProblem {
  std::string value;
  std::string why;
};
// The first problem of `header`, in the order of the checks; none for a usable header.
std::optional<HeaderProblem> headerProblem(const FieldHeader& header);

// Reads the header in one free-format read and refuses, with a RunTimeError
// naming the value and the file, a header that the grid cannot hold or that
// leaves nothing to analyse. `NTR` is the value a null entry leaves in place.
// Warns of a MEANT below 5 minutes and of commas that split decimals.
FieldHeader readHeader(text::LineSource& file, std::int32_t NTR, text::Warnings& warnings);

// The area covered by both sides of the transects, in km^2 for metres.
float sampleArea(const FieldHeader& header);

// Echoes WIDTH, HOURS and MEANT (console, then report value line each), then
// LENGTH, NTR, NT1 and CODE to the report and then to the console.
void echoHeader(const FieldHeader& header, text::RecordSink& console, text::RecordSink& report);

// The counts of one survey: transect j at sampling time k, both 0-based here
// (transect 1 and sampling time 1 of the file are j = 0, k = 0).
class SurveyCounts {
 public:
  SurveyCounts(std::int32_t NTR, std::int32_t NT1);
  std::int32_t transects() const { return NTR_; }
  std::int32_t times() const { return NT1_; }
  std::int32_t at(std::int32_t j, std::int32_t k) const;
  void set(std::int32_t j, std::int32_t k, std::int32_t count);
  bool operator==(const SurveyCounts&) const = default;

 private:
  std::int32_t NTR_;
  std::int32_t NT1_;
  std::vector<std::int16_t> cells_;  // time after time, transect after transect
};

// Reads the counts in the layout the header selects. The grid is fresh for
// every survey: cells that a free-layout file leaves unread stay zero, with
// a warning.
SurveyCounts readCounts(text::LineSource& file, const FieldHeader& header, text::Warnings& warnings);

// Reads one weight per transect (one free-format read beginning on the line
// after the last count) and writes the "EL=" line to the report.
std::vector<float> readWeights(text::LineSource& file, std::int32_t NTR, text::RecordSink& report);
// The report's "EL=" line of the weights.
void writeWeights(const std::vector<float>& EL, text::RecordSink& report);

// Reads the rest of the file and warns if any line of it holds more than blanks.
void warnAboutValuesBeyondTheLast(text::LineSource& file, text::Warnings& warnings);

}  // namespace arribada::fielddata
