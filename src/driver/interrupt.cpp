#include "driver/interrupt.hpp"

#include <atomic>
#include <csignal>
#include <cstddef>
#include <cstdlib>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace arribada::driver {
namespace {

// A signal handler can reach nothing but static storage, so the progress is
// kept here rather than in the driver's run state.
struct Progress {
  std::atomic<std::int32_t> job{0};
  std::atomic<std::int32_t> reached{0};
  std::atomic<std::int32_t> IREP{0};
  std::atomic<std::int32_t> finished{0};
};
static_assert(std::atomic<std::int32_t>::is_always_lock_free, "the handler reads the progress lock-free");

Progress progress;

// Appends `text` to the buffer as far as it fits.
std::size_t append(char* buffer, std::size_t size, std::size_t at, const char* text) {
  while (*text != '\0' && at < size) buffer[at++] = *text++;
  return at;
}

std::size_t appendNumber(char* buffer, std::size_t size, std::size_t at, std::int32_t value) {
  char digits[12];
  std::size_t n = 0;
  auto rest = static_cast<std::int64_t>(value);
  if (rest < 0) rest = -rest;
  do {
    digits[n++] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest > 0);
  if (value < 0 && at < size) buffer[at++] = '-';
  while (n > 0 && at < size) buffer[at++] = digits[--n];
  return at;
}

void writeRaw(const char* text, std::size_t length) {
#ifdef _WIN32
  (void)_write(2, text, static_cast<unsigned int>(length));
#else
  (void)::write(2, text, length);
#endif
}

// The handler's line, written into `buffer` (at most `size` bytes, no
// terminating zero); returns its length. Allocation-free.
std::size_t formatInterruptLine(char* buffer, std::size_t size, std::int32_t job, std::int32_t reached,
                                std::int32_t IREP, std::int32_t finished) {
  std::size_t at = append(buffer, size, 0, "arribada: interrupted in job ");
  at = appendNumber(buffer, size, at, job);
  at = append(buffer, size, at, " at replicate ");
  at = appendNumber(buffer, size, at, reached);
  at = append(buffer, size, at, " of ");
  at = appendNumber(buffer, size, at, IREP);
  at = append(buffer, size, at, "; the report holds the ");
  at = appendNumber(buffer, size, at, finished);
  at = append(buffer, size, at, " finished replicates, without a summary\n");
  return at;
}

extern "C" void onInterrupt(int signal) {
  char line[256];
  const std::size_t length = formatInterruptLine(line, sizeof line, progress.job.load(), progress.reached.load(),
                                                 progress.IREP.load(), progress.finished.load());
  writeRaw(line, length);
  std::_Exit(interruptedStatus(signal));
}

// The signals that end a simulation with the line above (Windows has no SIGHUP).
constexpr int kInterrupts[] = {
    SIGINT, SIGTERM,
#ifdef SIGHUP
    SIGHUP,
#endif
};

void handleInterrupts(void (*handler)(int)) {
  for (const int signal : kInterrupts) std::signal(signal, handler);
}

// The first interrupt under a StopRequest; 0 while none.
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void onStopRequest(int signal) {
  stopSignal = signal;
  // A second interrupt takes the system's default: the process ends at once.
  std::signal(signal, SIG_DFL);
}

}  // namespace

StopRequest::StopRequest() {
  stopSignal = 0;
  handleInterrupts(onStopRequest);
}

StopRequest::~StopRequest() { handleInterrupts(SIG_DFL); }

int StopRequest::signal() const { return static_cast<int>(stopSignal); }

InterruptReport::InterruptReport(std::int32_t job, std::int32_t IREP) {
  progress.job.store(job);
  progress.IREP.store(IREP);
  progress.reached.store(0);
  progress.finished.store(0);
  handleInterrupts(onInterrupt);
}

InterruptReport::~InterruptReport() { handleInterrupts(SIG_DFL); }

void InterruptReport::replicateStarted(std::int32_t L) { progress.reached.store(L); }

void InterruptReport::replicateFinished(std::int32_t L) { progress.finished.store(L); }

}  // namespace arribada::driver
