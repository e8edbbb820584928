// Fuzz target: a whole parameter file as the program reads it (the title
// line, the nine values and a short arribada's table), the finishing steps
// that fix NTI and JX, and for the parameters accepted the engine's own
// checks and, for a handful of females, one replicate.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/simulation.hpp"
#include "entry/parameter_entry.hpp"
#include "entry/parameter_file.hpp"
#include "fuzz/fuzz_input.hpp"
#include "text/errors.hpp"
#include "text/freeread.hpp"

namespace {

using namespace arribada;

// One replicate costs about NN x IHR: kept small so that the fuzzer stays fast.
constexpr std::int32_t kMostFemalesToSimulate = 5;

// Throws away the engine's report lines but checks their width.
class CheckingSink : public text::RecordSink {
 public:
  void writeRecord(const std::string& record) override {
    fuzz::require(record.size() <= 80, "an engine record longer than a report line");
  }
};

void checkAccepted(const engine::SimulationParameters& p, const engine::NestingTable& table) {
  fuzz::require(p.NTR >= 1 && p.NTR <= engine::kMaxStrips, "NTR outside the grid");
  fuzz::require(p.IC >= 1 && p.IC <= p.NTR, "IC outside 1 to NTR");
  fuzz::require(p.IREP >= 1 && p.IREP <= engine::kMaxReplicates, "IREP outside the summary's tables");
  fuzz::require(p.NN >= 1, "no females");
  fuzz::require(p.IHR >= 2 && p.IHR <= engine::kMaxHours, "IHR outside the grid's hours");
  fuzz::require(p.NTI >= 2, "fewer than two sampling periods");
  fuzz::require(p.JX >= 1 && p.JX <= 2147483646 && p.JX % 2 == 1, "JX not an odd state of the generator");
  fuzz::require(p.KSW >= 1 && p.KSW <= 3, "an unknown law");
  fuzz::require(table.KK >= 1 && table.KK <= engine::kMaxIntervals, "a table outside 1 to 17 rows");
  fuzz::require(table.PERCNT[static_cast<std::size_t>(table.KK - 1)] == 1.0f, "a table that does not end at 1");
  for (std::int32_t i = 0; i < table.KK; ++i) {
    fuzz::require(std::isfinite(table.PERCNT[static_cast<std::size_t>(i)]), "a proportion that is not finite");
  }
}

void simulateOneReplicate(const engine::SimulationParameters& p, const engine::NestingTable& table) {
  if (p.NN > kMostFemalesToSimulate) return;
  engine::SimulationJob job(p, table);
  CheckingSink report;
  (void)job.runReplicate(report);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::FuzzFile file(data, size, "fuzz.par");
  engine::SimulationParameters p;
  try {
    (void)text::readFixedLine(file.source, 80);
    engine::NestingTable table = entry::readParameterValues(file.source, p);
    entry::finishParameters(p, file.source.description());
    checkAccepted(p, table);
    simulateOneReplicate(p, table);
  } catch (const text::RunTimeError&) {
  } catch (const text::OrderlyStop&) {
  }
  return 0;
}
