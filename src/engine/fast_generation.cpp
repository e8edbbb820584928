#include "engine/fast_generation.hpp"

#include <bit>
#include <limits>
#include <cmath>
#include <numbers>
#include <thread>

#include "engine/block_stream.hpp"
#include "engine/thread_wait.hpp"

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
    report.write({K, TIME, HR, static_cast<std::int32_t>(female + 1)});
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
  if (c.KSW == 1) return 2;
  if (c.KSW == 3) return 3;
  for (std::int32_t i = 0; i < c.KK; ++i) {
    if (c.intervals[static_cast<std::size_t>(i)].NM >= 1) return 1;
  }
  return 4;
}

}  // namespace

double expectedDrawsPerFemale(const GenerationConstants& c, const NestingTable& table) {
  constexpr double kIntervalAndStrip = 2.0;
  if (c.KSW == 1) return kIntervalAndStrip + 4.0 / std::numbers::pi;  // pairs accepted with chance pi/4
  if (c.KSW == 3) return kIntervalAndStrip + 1.0;
  double products = 0.0;
  double before = 0.0;
  for (std::int32_t i = 0; i < c.KK; ++i) {
    const double share = table.PERCNT[static_cast<std::size_t>(i)] - before;
    before = table.PERCNT[static_cast<std::size_t>(i)];
    products += share * expectedProducts(c.intervals[static_cast<std::size_t>(i)]);
  }
  return kIntervalAndStrip + 2.0 + (std::isfinite(products) ? products : 0.0);
}

// The second thread's part of one replicate, and what the two threads tell each other.
struct FastGenerator::Speculation {
  std::uint64_t startOffset = 0;  // draws from the replicate's start
  std::int32_t startState = 0;
  std::int64_t safeEnd = 0;  // females it may place before it must know where to stop
  std::atomic<int> windowReady{0};
  std::int32_t starts = 0;  // entries of windowStarts_ filled
  bool failedInWindow = false;   // set before windowReady
  std::atomic<bool> failed{false};
  std::atomic<std::int64_t> end{kEndUnknown};
  std::int32_t endState = 0;
  std::uint64_t endOffset = 0;
  NormalPair endPair;
};

Worker::~Worker() {
  if (!thread_.joinable()) return;
  wait();
  stop_ = true;
  started_.fetch_add(1, std::memory_order_release);
  wakeOne(started_);
  thread_.join();
}

void Worker::start(std::function<void()> task) {
  wait();
  task_ = std::move(task);
  if (!thread_.joinable()) thread_ = std::thread([this] { loop(); });
  started_.fetch_add(1, std::memory_order_release);
  wakeOne(started_);
}

void Worker::wait() {
  for (;;) {
    const std::uint32_t done = finished_.load(std::memory_order_acquire);
    if (done == started_.load(std::memory_order_relaxed)) return;
    waitWhile(finished_, done);
  }
}

void Worker::loop() {
  for (std::uint32_t seen = 0;;) {
    waitWhile(started_, seen);
    seen = started_.load(std::memory_order_acquire);
    if (stop_) return;
    task_();  // runSecond, which catches everything
    finished_.store(seen, std::memory_order_release);
    wakeAll(finished_);
  }
}

FastGenerator::FastGenerator(const GenerationConstants& c, const NestingTable& table, std::int32_t threads)
    : c_(c),
      first_(c),
      second_(c),
      threads_(threads),
      drawsPerFemale_(expectedDrawsPerFemale(c, table)),
      granule_(drawGranule(c)),
      secondGrid_(threads >= 2 ? c.NTR : 0, c.hours) {
  if (threads_ >= 2) {
    windowCells_.resize(kWindow);
    windowStarts_.resize(kWindow + 1);
    notes_.reserve(64);
  }
}

std::uint64_t FastGenerator::guessedOffset(std::int32_t females) const {
  const auto draws = static_cast<std::uint64_t>(drawsPerFemale_ * females);
  return draws - draws % granule_;
}

// A window of 2048 starts tolerates a guess wrong by about a thousand
// females; for replicates under 2^18 females the guess is seldom wrong by
// more than a hundred, and the window's females, placed one by one, are
// the second thread's slowest.
std::int32_t FastGenerator::windowFor(std::int32_t NN) { return NN < (1 << 18) ? kWindow / 4 : kWindow; }

void FastGenerator::generate(CountGrid& TRAN, std::int32_t& JX, NormalPair& pair, std::int32_t NN,
                             text::RecordSink& report) {
  TRAN.clear();
  if (threads_ >= 2 && NN >= kMinParallel && shareReplicate(TRAN, JX, pair, NN, report)) return;
  BlockStream stream(JX);
  placeInOrder(stream, pair, first_, 0, NN, TRAN, report);
  JX = stream.state();
  drawsSeen_ += stream.used();
  femalesSeen_ += static_cast<std::uint64_t>(NN);
  drawsPerFemale_ = static_cast<double>(drawsSeen_) / static_cast<double>(femalesSeen_);
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

bool FastGenerator::shareReplicate(CountGrid& TRAN, std::int32_t& JX, NormalPair& pair, std::int32_t NN,
                                   text::RecordSink& report) {
  window_ = windowFor(NN);
  const std::int64_t leadIn = window_ / 2;
  // The first thread takes a window's worth more than half: the second
  // starts later, and places its window one female at a time.
  const std::int64_t firstHalf = NN / 2 + window_;
  Speculation s;
  s.startOffset = guessedOffset(static_cast<std::int32_t>(firstHalf - leadIn));
  s.startState = stateAfter(JX, s.startOffset);
  // The second thread's last female is about its leadIn-th past NN - firstHalf;
  // it may go on without waiting to half a lead-in before that.
  s.safeEnd = NN - firstHalf - leadIn / 2;

  BlockStream stream(JX);
  NormalPair own = pair;
  std::int64_t placed = 0;
  std::int64_t meet = -1;  // the second thread's female that the first thread reached
  {
    SecondThread second(s.end, worker_, [&] { runSecond(s); });
    placeInOrder(stream, own, first_, 0, firstHalf, TRAN, report);
    placed = firstHalf;
    waitWhile(s.windowReady, 0);
    std::int32_t k = 0;
    for (std::int64_t extra = 0; !s.failedInWindow && extra <= 2 * window_; ++extra) {
      while (k < s.starts && windowStarts_[static_cast<std::size_t>(k)].offset < stream.used()) ++k;
      if (k == s.starts) break;
      const FemaleStart& start = windowStarts_[static_cast<std::size_t>(k)];
      if (start.offset == stream.used() && samePair(start.pair, own)) {
        meet = k;
        break;
      }
      placeInOrder(stream, own, first_, placed, 1, TRAN, report);
      ++placed;
    }
    const std::int64_t end = meet + (NN - placed);
    if (meet >= 0 && end >= s.safeEnd) second.stopAt(end);
    else meet = -1;
    second.join();
  }
  if (meet < 0 || s.failed) {
    placeInOrder(stream, own, first_, placed, NN - placed, TRAN, report);
    JX = stream.state();
    pair = own;
    drawsSeen_ += stream.used();
  } else {
    ++shared_;
    TRAN.add(secondGrid_);
    for (std::int64_t i = meet; i < window_; ++i) {
      const std::int32_t cell = windowCells_[static_cast<std::size_t>(i)];
      if (cell != kNotTallied) TRAN.tally(cell);
    }
    for (const RedrawNote& note : notes_) {
      if (note.female < meet) continue;
      report.write({note.K, note.TIME, note.HR, static_cast<std::int32_t>(placed + (note.female - meet) + 1)});
    }
    JX = s.endState;
    pair = s.endPair;
    drawsSeen_ += s.endOffset;
  }
  femalesSeen_ += static_cast<std::uint64_t>(NN);
  drawsPerFemale_ = static_cast<double>(drawsSeen_) / static_cast<double>(femalesSeen_);
  return true;
}

// The second thread: the window of noted starts, then on until it is told where to stop.
void FastGenerator::runSecond(Speculation& s) {
  const GenerationConstants& c = c_;
  CountGrid& grid = secondGrid_;
  std::vector<std::int32_t>& cells = windowCells_;
  std::vector<FemaleStart>& starts = windowStarts_;
  std::vector<RedrawNote>& notes = notes_;
  grid.clear();
  notes.clear();
  BlockStream stream(s.startState);
  NormalPair pair;
  std::int64_t i = 0;
  const auto note = [&](std::int64_t female, std::int32_t K, float TIME, float HR) {
    if (notes.size() == FastGenerator::kMaxNotes) throw TooManyNotes{};
    notes.push_back({female, K, TIME, HR});
  };
  const auto release = [&] {
    s.windowReady.store(1, std::memory_order_release);
    wakeAll(s.windowReady);
  };
  try {
    for (; i < window_; ++i) {
      starts[static_cast<std::size_t>(i)] = {s.startOffset + stream.used(), pair};
      s.starts = static_cast<std::int32_t>(i + 1);
      cells[static_cast<std::size_t>(i)] = fastStep(stream, pair, c, second_.chooser(),
                                                    [&](std::int32_t K, float TIME, float HR) { note(i, K, TIME, HR); });
    }
    starts[static_cast<std::size_t>(i)] = {s.startOffset + stream.used(), pair};
    s.starts = static_cast<std::int32_t>(i + 1);
    release();
    std::int64_t limit = s.safeEnd;
    for (;;) {
      if (i == limit || i % kAbandonCheck == 0) {
        std::int64_t end = s.end.load(std::memory_order_acquire);
        if (end == kEndUnknown && i == limit) {
          waitWhile(s.end, kEndUnknown);
          end = s.end.load(std::memory_order_acquire);
        }
        if (end == kAbandoned) return;
        if (end != kEndUnknown) limit = end;
        if (i == limit) break;
      }
      // On to the next look, in batches.
      const std::int64_t look = std::min(limit, (i / kAbandonCheck + 1) * kAbandonCheck);
      second_.place(stream, pair, i, look - i, grid, note);
      i = look;
    }
  } catch (...) {
    // The first thread places these females itself and meets the failure there, if it is real.
    if (s.windowReady.load(std::memory_order_relaxed) == 0) s.failedInWindow = true;
    s.failed.store(true);
    release();
    return;
  }
  s.endState = stream.state();
  s.endOffset = s.startOffset + stream.used();
  s.endPair = pair;
}

}  // namespace arribada::engine
