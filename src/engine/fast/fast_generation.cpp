#include "engine/hot_loops.hpp"  // first: see there
#include "engine/fast/fast_generation.hpp"

#include <bit>
#include <limits>
#include <cmath>
#include <numbers>
#include <thread>

#include "engine/fast/block_stream.hpp"
#include "engine/fast/thread_wait.hpp"

namespace arribada::engine {
namespace {

constexpr std::int64_t kEndUnknown = -1;
constexpr std::int64_t kAbandoned = -2;
constexpr std::int64_t kAbandonCheck = 1024;  // females between looks for an abandoned speculation

// Thrown inside the second thread when it holds too many redraw lines.
struct TooManyNotes {};

bool samePair(const NormalPair& a, const NormalPair& b) {
  if (a.ISW != b.ISW) return false;
  // A fresh pair overwrites Z, U1 and U2 before reading them.
  if (a.ISW == 1) return true;
  return std::bit_cast<std::uint32_t>(a.Z) == std::bit_cast<std::uint32_t>(b.Z) &&
         std::bit_cast<std::uint32_t>(a.U1) == std::bit_cast<std::uint32_t>(b.U1) &&
         std::bit_cast<std::uint32_t>(a.U2) == std::bit_cast<std::uint32_t>(b.U2);
}

// The per-female step of the plain path, with the quicker interval choice;
// returns the female's cell or kNotTallied without a branch on which.
template <class OnRedraw>
std::int32_t fastStep(BlockStream& stream, NormalPair& pair, const GenerationConstants& c,
                      const IntervalChooser& choose, OnRedraw&& onRedraw) {
  const Placement female = placeFemale(stream, pair, c, onRedraw, choose);
  const std::int32_t cell = CountGrid::cellOf(female.J, female.K, c.hours);
  return female.tallied ? cell : kNotTallied;
}

// Females I = first + 1 ... first + count (1-based numbers in the redraw lines).
void placeInOrder(BlockStream& stream, NormalPair& pair, BatchPlacer& placer, std::int64_t first,
                  std::int64_t count, CountGrid& TRAN, text::RecordSink& report) {
  placer.place(stream, pair, first, count, TRAN, [&](std::int64_t female, std::int32_t K, float TIME, float HR) {
    writeRedrawLine(report, K, TIME, HR, female + 1);
  });
}

// Expected number of products of the Poisson law in one interval: the j-th
// is taken when the count reaches j, for j = 1 ... NM.
double expectedProducts(const IntervalShape& shape) {
  const double lambda = static_cast<double>(shape.DIFF) / 2.0;
  const std::int32_t cap = std::min<std::int32_t>(shape.NM, 4096);
  double pmf = std::exp(-lambda);
  double below = 0.0;  // P(count < j)
  double sum = 0.0;
  for (std::int32_t j = 1; j <= cap; ++j) {
    below += pmf;
    sum += std::max(0.0, 1.0 - below);
    pmf *= lambda / j;
  }
  return sum;
}

// Without redraws every female takes a multiple of this many draws: a normal
// one 2 (interval and strip, and a pair's draws or none), a uniform one 3, a
// Poisson one 4 plus her products, so 4 when no interval has room for one.
std::uint64_t drawGranule(const GenerationConstants& c) {
  switch (c.law) {
    case NestingLaw::normal:
      return 2;
    case NestingLaw::uniform:
      return 3;
    case NestingLaw::poisson:
      for (std::int32_t i = 0; i < c.KK; ++i) {
        if (c.intervals[static_cast<std::size_t>(i)].NM >= 1) return 1;
      }
      return 4;
  }
  unknownLaw(c.law);
}

}  // namespace

double expectedDrawsPerFemale(const GenerationConstants& c, const NestingTable& table) {
  constexpr double kIntervalAndStrip = 2.0;
  switch (c.law) {
    case NestingLaw::normal:
      return kIntervalAndStrip + 4.0 / std::numbers::pi;  // pairs accepted with chance pi/4
    case NestingLaw::uniform:
      return kIntervalAndStrip + 1.0;
    case NestingLaw::poisson:
      break;
  }
  double products = 0.0;
  double before = 0.0;
  for (std::int32_t i = 0; i < c.KK; ++i) {
    const double share = table.PERCNT[static_cast<std::size_t>(i)] - before;
    before = table.PERCNT[static_cast<std::size_t>(i)];
    products += share * expectedProducts(c.intervals[static_cast<std::size_t>(i)]);
  }
  return kIntervalAndStrip + 2.0 + (std::isfinite(products) ? products : 0.0);
}

// The second thread's part of one replicate, and what the two threads tell
// each other. Who writes each field, and how the other thread gets to see it:
// - startOffset, startState, safeEnd: the first thread, before it starts the
//   second thread's task (published by Worker::start's release); read-only then.
// - starts, failedInWindow, and FastGenerator's windowStarts_ and
//   windowCells_: the second thread, while it places its window; published by
//   its release store of windowReady = 1 (made also when it fails), after
//   which it writes them no more this replicate. The first thread reads them
//   only after seeing windowReady = 1 (acquire).
// - end: the first thread: kEndUnknown until it stores the second thread's
//   last female (release), or swaps in kAbandoned (compare-exchange) when it
//   will not use the second thread's work. The second thread reads it
//   (acquire) every kAbandonCheck females, and waits on it at safeEnd.
// - failed, endState, endOffset, endPair, and FastGenerator's secondGrid_ and
//   notes_: the second thread; published by the end of its task (Worker's
//   release of finished_). The first thread reads them after Worker::wait.
// The two threads never touch the same field without one of these orders
// between them; which way a replicate goes depends only on the draws.
struct FastGenerator::Speculation {
  std::uint64_t startOffset = 0;  // draws from the replicate's start
  std::int32_t startState = 0;
  std::int64_t safeEnd = 0;  // females it may place before it must know where to stop
  std::atomic<int> windowReady{0};
  std::int32_t starts = 0;       // entries of windowStarts_ filled
  bool failedInWindow = false;   // the second thread failed before its window was complete
  std::atomic<bool> failed{false};
  std::atomic<std::int64_t> end{kEndUnknown};
  std::int32_t endState = 0;   // the stream after the second thread's last female
  std::uint64_t endOffset = 0;  // draws from the replicate's start to there
  NormalPair endPair;
};

FastGenerator::FastGenerator(const GenerationConstants& c, const NestingTable& table, std::int32_t threads,
                             InstructionSet set, const FastPathHooks& hooks)
    : c_(c),
      first_(c, set),
      second_(c, set),
      threads_(threads),
      drawsPerFemale_(expectedDrawsPerFemale(c, table)),
      secondStartShift_(hooks.secondStartShift),
      granule_(drawGranule(c)),
      secondGrid_(threads >= 2 ? c.NTR : 0, c.hours) {
  first_.context().logBracket = hooks.logBracket;
  second_.context().logBracket = hooks.logBracket;
  if (threads_ >= 2) {
    windowCells_.resize(kWindow);
    windowStarts_.resize(kWindow + 1);
    notes_.reserve(64);
  }
}

std::uint64_t FastGenerator::guessedOffset(std::int32_t females) const {
  const auto draws = static_cast<std::uint64_t>(drawsPerFemale_ * females + static_cast<double>(secondStartShift_));
  return draws - draws % granule_;
}

PlacementCounts FastGenerator::counts() const {
  PlacementCounts counts;
  counts.shared = shared_;
  counts.alone = alone_;
  for (const BatchPlacer* placer : {&first_, &second_}) {
    counts.logsRecomputed += static_cast<std::int64_t>(placer->logsRecomputed());
    counts.redrawEnds += static_cast<std::int64_t>(placer->redrawEnds());
  }
  return counts;
}

// A window of 2048 starts tolerates a guess wrong by about a thousand
// females; for replicates under 2^18 females the guess is seldom wrong by
// more than a hundred, and the window's females, placed one by one, are
// the second thread's slowest.
std::int32_t FastGenerator::windowFor(std::int32_t NN) { return NN < (1 << 18) ? kWindow / 4 : kWindow; }

void FastGenerator::generate(CountGrid& TRAN, std::int32_t& JX, NormalPair& pair, std::int32_t NN,
                             text::RecordSink& report) {
  TRAN.clear();
  if (threads_ >= 2 && NN >= kMinParallel) {
    shareReplicate(TRAN, JX, pair, NN, report);
    return;
  }
  BlockStream stream(JX, first_.fillBlock());
  placeInOrder(stream, pair, first_, 0, NN, TRAN, report);
  JX = stream.state();
  noteDraws(stream.used(), NN);
}

namespace {

// Ends the second thread (abandoning its work unless told where to stop)
// however the first thread leaves.
class SecondThread {
 public:
  template <class Body>
  SecondThread(std::atomic<std::int64_t>& end, Worker& worker, Body&& body) : end_(end), worker_(worker) {
    worker_.start(std::forward<Body>(body));
  }
  ~SecondThread() { join(); }
  SecondThread(const SecondThread&) = delete;
  SecondThread& operator=(const SecondThread&) = delete;
  void stopAt(std::int64_t end) {
    end_.store(end, std::memory_order_release);
    wakeAll(end_);
  }
  void join() {
    if (joined_) return;
    joined_ = true;
    std::int64_t unknown = kEndUnknown;
    if (end_.compare_exchange_strong(unknown, kAbandoned)) wakeAll(end_);
    worker_.wait();
  }

 private:
  std::atomic<std::int64_t>& end_;
  Worker& worker_;
  bool joined_ = false;
};

}  // namespace

// The second thread's start and limits for a replicate of NN females from
// JX; returns how many females the first thread places before it looks for
// the second: a window's worth more than half, since the second thread
// starts later and places its window one female at a time.
std::int64_t FastGenerator::planSpeculation(Speculation& s, std::int32_t JX, std::int32_t NN) {
  window_ = windowFor(NN);
  const std::int64_t leadIn = window_ / 2;
  const std::int64_t firstPart = NN / 2 + window_;
  s.startOffset = guessedOffset(static_cast<std::int32_t>(firstPart - leadIn));
  s.startState = stateAfter(JX, s.startOffset);
  // The second thread's last female is about its leadIn-th past NN - firstPart;
  // it may go on without waiting to half a lead-in before that.
  s.safeEnd = NN - firstPart - leadIn / 2;
  return firstPart;
}

// The first thread, past its part, goes on female by female until it stands
// at one of the second thread's noted starts in the same pair state: from
// there both decode the same stream alike. Returns that start's number, or
// -1 when the two do not meet within two windows.
std::int64_t FastGenerator::meetSecond(const Speculation& s, BlockStream& stream, NormalPair& own,
                                       std::int64_t& placed, CountGrid& TRAN, text::RecordSink& report) {
  std::int32_t k = 0;
  for (std::int64_t extra = 0; !s.failedInWindow && extra <= 2 * window_; ++extra) {
    while (k < s.starts && windowStarts_[static_cast<std::size_t>(k)].offset < stream.used()) ++k;
    if (k == s.starts) break;
    const FemaleStart& start = windowStarts_[static_cast<std::size_t>(k)];
    if (start.offset == stream.used() && samePair(start.pair, own)) return k;
    placeInOrder(stream, own, first_, placed, 1, TRAN, report);
    ++placed;
  }
  return -1;
}

// The second thread's females from its start `meet` on, after the first
// thread's `placed`: its grid, the window's cells, its redraw lines with
// their females' numbers, and its final stream and pair.
void FastGenerator::adoptSecond(const Speculation& s, std::int64_t meet, std::int64_t placed, CountGrid& TRAN,
                                std::int32_t& JX, NormalPair& pair, text::RecordSink& report) {
  TRAN.add(secondGrid_);
  for (std::int64_t i = meet; i < window_; ++i) {
    const std::int32_t cell = windowCells_[static_cast<std::size_t>(i)];
    if (cell != kNotTallied) TRAN.tally(cell);
  }
  for (const RedrawNote& note : notes_) {
    if (note.female < meet) continue;
    writeRedrawLine(report, note.K, note.TIME, note.HR, placed + (note.female - meet) + 1);
  }
  JX = s.endState;
  pair = s.endPair;
}

void FastGenerator::shareReplicate(CountGrid& TRAN, std::int32_t& JX, NormalPair& pair, std::int32_t NN,
                                   text::RecordSink& report) {
  Speculation s;
  const std::int64_t firstPart = planSpeculation(s, JX, NN);
  BlockStream stream(JX, first_.fillBlock());
  NormalPair own = pair;
  std::int64_t placed = firstPart;
  std::int64_t meet = -1;  // the second thread's female that the first thread reached
  {
    SecondThread second(s.end, worker_, [&] { runSecond(s); });
    placeInOrder(stream, own, first_, 0, firstPart, TRAN, report);
    waitWhile(s.windowReady, 0);
    meet = meetSecond(s, stream, own, placed, TRAN, report);
    const std::int64_t end = meet + (NN - placed);
    if (meet >= 0 && end >= s.safeEnd) {
      second.stopAt(end);
    } else {
      meet = -1;
    }
    second.join();
  }
  if (meet < 0 || s.failed) {
    ++alone_;
    placeInOrder(stream, own, first_, placed, NN - placed, TRAN, report);
    JX = stream.state();
    pair = own;
    noteDraws(stream.used(), NN);
  } else {
    ++shared_;
    adoptSecond(s, meet, placed, TRAN, JX, pair, report);
    noteDraws(s.endOffset, NN);
  }
}

void FastGenerator::noteDraws(std::uint64_t draws, std::int32_t NN) {
  drawsSeen_ += draws;
  femalesSeen_ += static_cast<std::uint64_t>(NN);
  drawsPerFemale_ = static_cast<double>(drawsSeen_) / static_cast<double>(femalesSeen_);
}

void FastGenerator::noteRedraw(std::int64_t female, std::int32_t K, float TIME, float HR) {
  if (notes_.size() == kMaxNotes) throw TooManyNotes{};
  notes_.push_back({female, K, TIME, HR});
}

// The second thread's window: every female's start and pair state noted,
// and her cell kept apart, so that the first thread can take any of them as
// the meeting point. Published by windowReady.
void FastGenerator::placeWindow(Speculation& s, BlockStream& stream, NormalPair& pair) {
  std::int64_t i = 0;
  for (; i < window_; ++i) {
    windowStarts_[static_cast<std::size_t>(i)] = {s.startOffset + stream.used(), pair};
    s.starts = static_cast<std::int32_t>(i + 1);
    windowCells_[static_cast<std::size_t>(i)] = fastStep(
        stream, pair, c_, second_.chooser(), [&](std::int32_t K, float TIME, float HR) { noteRedraw(i, K, TIME, HR); });
  }
  windowStarts_[static_cast<std::size_t>(i)] = {s.startOffset + stream.used(), pair};
  s.starts = static_cast<std::int32_t>(i + 1);
}

// After the window, in batches into the second grid: to safeEnd without
// waiting, then to the end the first thread names. Looks at `end` every
// kAbandonCheck females; returns false when the first thread abandoned the work.
bool FastGenerator::placeUntilTold(Speculation& s, BlockStream& stream, NormalPair& pair) {
  std::int64_t i = window_;
  std::int64_t limit = s.safeEnd;
  const auto note = [&](std::int64_t female, std::int32_t K, float TIME, float HR) { noteRedraw(female, K, TIME, HR); };
  for (;;) {
    if (i == limit || i % kAbandonCheck == 0) {
      std::int64_t end = s.end.load(std::memory_order_acquire);
      if (end == kEndUnknown && i == limit) {
        waitWhile(s.end, kEndUnknown);
        end = s.end.load(std::memory_order_acquire);
      }
      if (end == kAbandoned) return false;
      if (end != kEndUnknown) limit = end;
      if (i == limit) return true;
    }
    const std::int64_t look = std::min(limit, (i / kAbandonCheck + 1) * kAbandonCheck);
    second_.place(stream, pair, i, look - i, secondGrid_, note);
    i = look;
  }
}

// The second thread's task for one replicate; it catches everything.
void FastGenerator::runSecond(Speculation& s) {
  secondGrid_.clear();
  notes_.clear();
  BlockStream stream(s.startState, second_.fillBlock());
  NormalPair pair;
  const auto publishWindow = [&] {
    s.windowReady.store(1, std::memory_order_release);
    wakeAll(s.windowReady);
  };
  try {
    placeWindow(s, stream, pair);
    publishWindow();
    if (!placeUntilTold(s, stream, pair)) return;
  } catch (...) {
    // The first thread places these females itself and meets the failure there, if it is real.
    if (s.windowReady.load(std::memory_order_relaxed) == 0) s.failedInWindow = true;
    s.failed.store(true);
    publishWindow();
    return;
  }
  s.endState = stream.state();
  s.endOffset = s.startOffset + stream.used();
  s.endPair = pair;
}

}  // namespace arribada::engine
