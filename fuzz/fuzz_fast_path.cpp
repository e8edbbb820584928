// Differential fuzz target: a small simulation job built from the fuzzer's
// bytes (law, seed, NN, a short user table or the built-in one, NTR, IC,
// MIN, STDDEV, replicates) run on the plain path and on the fast path (one
// thread with every instruction set the processor runs, and two threads);
// after every replicate the grids, the report lines (out-of-range times,
// consistency lines, "MHAT="), the stream and the normal law's pair state
// must be the same, and a job that fails must fail the same way.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/simulation.hpp"
#include "engine/table.hpp"
#include "fuzz/fuzz_input.hpp"
#include "text/channels.hpp"
#include "text/errors.hpp"

namespace {

using namespace arribada;

// The fuzzer's bytes, taken in order; zeros once they run out.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint32_t next(std::uint32_t below) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | (used_ < size_ ? data_[used_++] : 0u);
    return value % below;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t used_ = 0;
};

struct Job {
  engine::SimulationParameters p;
  engine::NestingTable table;
};

// A job, or nothing when the table is refused. Mostly a few hundred females
// so that the fuzzer stays fast; sometimes enough for two threads to share.
std::optional<Job> jobFrom(Bytes& bytes) {
  Job job;
  engine::SimulationParameters& p = job.p;
  p.KSW = 1 + static_cast<std::int32_t>(bytes.next(3));
  p.JX = 1 + static_cast<std::int32_t>(bytes.next(engine::kRandomModulus - 1));
  p.NN = bytes.next(16) == 0 ? 32768 + static_cast<std::int32_t>(bytes.next(2000))
                             : 1 + static_cast<std::int32_t>(bytes.next(400));
  p.NTR = 1 + static_cast<std::int32_t>(bytes.next(12));
  p.IC = 1 + static_cast<std::int32_t>(bytes.next(static_cast<std::uint32_t>(p.NTR)));
  p.MIN = 1.0f + static_cast<float>(bytes.next(90));
  p.STDDEV = 0.25f * static_cast<float>(1 + bytes.next(24));
  p.IREP = 1 + static_cast<std::int32_t>(bytes.next(2));
  try {
    if (bytes.next(4) == 0) {
      p.IHR = 18 + static_cast<std::int32_t>(bytes.next(103));
      job.table = engine::builtInTable(p.IHR);
    } else {
      const auto rows = 1 + bytes.next(4);
      std::vector<float> marks;
      std::vector<float> weights;
      float mark = 0.0f;
      for (std::uint32_t i = 0; i < rows; ++i) {
        mark += 0.25f * static_cast<float>(1 + bytes.next(40));
        marks.push_back(mark);
        weights.push_back(static_cast<float>(bytes.next(6)));
      }
      weights.back() += 1.0f;  // weights that add up to zero are refused before the engine
      p.IHR = static_cast<std::int32_t>(rows);
      job.table = engine::userTable(marks, weights, p.IHR);
      // An interval wholly after hour IHR + 1/2 places nobody: its females are
      // drawn again until the run ends, a case the tests cover and that would
      // only slow the fuzzer down.
      if (rows > 1 && marks[rows - 2] >= static_cast<float>(p.IHR) + 0.5f) return std::nullopt;
    }
  } catch (const text::RunTimeError&) {
    return std::nullopt;
  }
  p.NTI = engine::samplingSchedule(p.IHR).NTI();
  return job;
}

std::vector<std::int32_t> cellsOf(const engine::SimulationJob& job, const engine::SimulationParameters& p) {
  std::vector<std::int32_t> cells;
  for (std::int32_t J = 1; J <= p.NTR; ++J) {
    for (std::int32_t K = 1; K <= p.IHR + 1; ++K) cells.push_back(job.grid().at(J, K));
  }
  return cells;
}

bool samePair(const engine::NormalPair& a, const engine::NormalPair& b) {
  return a.ISW == b.ISW && std::bit_cast<std::uint32_t>(a.Z) == std::bit_cast<std::uint32_t>(b.Z) &&
         std::bit_cast<std::uint32_t>(a.U1) == std::bit_cast<std::uint32_t>(b.U1) &&
         std::bit_cast<std::uint32_t>(a.U2) == std::bit_cast<std::uint32_t>(b.U2);
}

// What a job leaves after each replicate, or how it failed.
struct Outcome {
  std::vector<std::string> records;  // the whole report so far
  std::int32_t JX = 0;
  engine::NormalPair pair;
  std::vector<std::int32_t> cells;
  std::string failure;
};

bool operator==(const Outcome& a, const Outcome& b) {
  return a.records == b.records && a.JX == b.JX && samePair(a.pair, b.pair) && a.cells == b.cells &&
         a.failure == b.failure;
}

// A job whose females keep falling outside the arribada writes a report
// line for every redraw: past this many lines the input is passed over, so
// that no input runs for long (the redraws themselves are the tests' to check).
constexpr std::size_t kMostRecords = 20000;

struct TooManyRecords {};

// Keeps the records, and gives up (TooManyRecords) past kMostRecords.
class BoundedRecordingSink : public text::RecordingSink {
 public:
  void writeRecord(const std::string& record) override {
    if (records.size() >= kMostRecords) throw TooManyRecords{};
    text::RecordingSink::writeRecord(record);
  }
};

// The job's replicates on one path; empty when the engine refuses the
// parameters. TooManyRecords passes through.
std::vector<Outcome> run(const Job& job, const engine::EngineOptions& options) {
  std::optional<engine::SimulationJob> simulation;
  try {
    simulation.emplace(job.p, job.table, options);
  } catch (const text::RunTimeError&) {
    return {};
  }
  std::vector<Outcome> outcomes;
  BoundedRecordingSink report;
  for (std::int32_t L = 1; L <= job.p.IREP; ++L) {
    Outcome o;
    try {
      simulation->runReplicate(report);
    } catch (const text::RunTimeError& e) {
      o.failure = e.what();
    }
    o.records = report.records;
    o.JX = simulation->JX();
    o.pair = simulation->pair();
    o.cells = cellsOf(*simulation, job.p);
    outcomes.push_back(std::move(o));
    if (!outcomes.back().failure.empty()) break;
  }
  return outcomes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Bytes bytes(data, size);
  const std::optional<Job> job = jobFrom(bytes);
  if (!job) return 0;
  engine::EngineOptions plain;
  plain.plain = true;
  std::vector<Outcome> expected;
  try {
    expected = run(*job, plain);
  } catch (const TooManyRecords&) {
    return 0;  // a slow input: its redraws alone would take seconds
  }
  for (engine::InstructionSet set : engine::runnableInstructionSets()) {
    engine::EngineOptions options;
    options.threads = 1;
    options.instructionSet = set;
    fuzz::require(run(*job, options) == expected, "the fast path on one thread differs from the plain path");
  }
  engine::EngineOptions twoThreads;
  twoThreads.threads = 2;
  fuzz::require(run(*job, twoThreads) == expected, "the fast path on two threads differs from the plain path");
  return 0;
}
