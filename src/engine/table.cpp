#include "engine/table.hpp"

#include <cmath>
#include <string>

#include "engine/real.hpp"
#include "text/errors.hpp"

namespace arribada::engine {

std::int32_t roundToTwelve(std::int32_t IHR) {
  if (IHR % 12 == 0) return IHR;
  return 12 * static_cast<std::int32_t>(static_cast<double>(IHR) / 12.0 + 0.5);
}

NestingTable builtInTable(std::int32_t& IHR) {
  const std::int32_t rounded = roundToTwelve(IHR);
  if (rounded < 12 || rounded > 12 * kMaxIntervals) {
    throw text::RunTimeError("nesting-time table: an arribada of " + std::to_string(IHR) +
                             " hours does not fit the built-in table of 12-hour intervals");
  }
  IHR = rounded;
  NestingTable table;
  table.KK = IHR / 12;
  table.LL = table.KK % 2 == 0 ? table.KK / 2 : (table.KK + 1) / 2;
  const float DIVH = stored(wide(0.96f) / table.LL);
  // A single interval has no low-activity share (it gets everything anyway).
  const float DIVL = table.KK > table.LL ? stored(wide(0.04f) / (table.KK - table.LL)) : 0.0f;
  table.PERCNT[0] = DIVH;
  table.UINT[0] = 12.0f;
  bool nextIsLow = true;
  for (std::int32_t i = 1; i < table.KK; ++i) {
    table.UINT[i] = plus(table.UINT[i - 1], 12.0);
    table.PERCNT[i] = plus(table.PERCNT[i - 1], nextIsLow ? DIVL : DIVH);
    nextIsLow = !nextIsLow;
  }
  table.PERCNT[table.KK - 1] = 1.0f;
  return table;
}

NestingTable userTable(std::span<const float> marks, std::span<const float> weights, std::int32_t& IHR) {
  if (marks.empty() || marks.size() > static_cast<std::size_t>(kMaxTableRows) || weights.size() != marks.size()) {
    throw text::RunTimeError("nesting-time table: " + std::to_string(marks.size()) + " hour marks and " +
                             std::to_string(weights.size()) + " weights do not make a table of 1 to " +
                             std::to_string(kMaxTableRows) + " rows");
  }
  if (!truncatesToInt32(wide(marks.back()))) {
    throw text::RunTimeError("nesting-time table: the last hour mark " + std::to_string(marks.back()) +
                             " is not a usable length of the arribada");
  }
  NestingTable table;
  table.KK = static_cast<std::int32_t>(marks.size());
  for (std::size_t i = 0; i < marks.size(); ++i) {
    table.UINT[i] = marks[i];
    table.PERCNT[i] = weights[i];
  }
  IHR = static_cast<std::int32_t>(table.UINT[table.KK - 1]);
  float sum = 0.0f;
  for (std::int32_t i = 0; i < table.KK; ++i) sum = plus(sum, table.PERCNT[i]);
  if (sum == 0.0f) throw text::RunTimeError("nesting-time table: the weights add up to zero");
  table.PERCNT[0] = stored(wide(table.PERCNT[0]) / sum);
  for (std::int32_t i = 1; i < table.KK; ++i) {
    table.PERCNT[i] = stored(wide(table.PERCNT[i]) / sum + wide(table.PERCNT[i - 1]));
  }
  table.PERCNT[table.KK - 1] = 1.0f;
  return table;
}

void echoTable(const NestingTable& table, text::RecordSink& report) {
  report.write({std::string("    INDEX        PROPORTION       HOURS")});
  for (std::int32_t i = 0; i < table.KK; ++i) {
    report.write({i + 1, table.PERCNT[i], table.UINT[i]});
  }
}

}  // namespace arribada::engine
