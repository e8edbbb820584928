#pragma once
// The nesting-time table: how the nesting of the females is spread over the
// arribada.

#include <cstdint>
#include <span>

#include "engine/parameters.hpp"
#include "text/channels.hpp"

namespace arribada::engine {

// The shortest arribada that takes the built-in table; a shorter one takes
// its nesting-time table from the parameter file.
inline constexpr std::int32_t kShortestBuiltInArribada = 18;

// The built-in day-and-night table of 12-hour intervals for IHR >= 18: IHR
// is first rounded to the nearest multiple of 12 (halves upward). The odd
// intervals share 96% of the females, the even ones 4%. The caller makes
// sure that the rounded IHR is at most kMaxHours; one that does not fit the
// 17 rows of the table (or rounds to 0) is refused with a RunTimeError.
NestingTable builtInTable(std::int32_t& IHR);

// The rounding of IHR to a multiple of 12 that the built-in table applies.
std::int32_t roundToTwelve(std::int32_t IHR);

// A user table from `marks.size()` hour marks and as many weights (1 to
// kMaxTableRows rows; the parameter entry allows kMaxIntervals of them): the
// weights are normalised and accumulated, the last proportion is forced to 1.0
// and IHR becomes the integer part of the last mark. The caller refuses
// weights that add up to zero with its own message; should any reach here, or
// a row count outside 1 ... kMaxTableRows, or a last mark with no integer
// part, they are refused with a RunTimeError.
NestingTable userTable(std::span<const float> marks, std::span<const float> weights, std::int32_t& IHR);

// The table's report echo: the heading and one line per interval.
void echoTable(const NestingTable& table, text::RecordSink& report);

}  // namespace arribada::engine
