#include "driver/interrupt.hpp"

#include <atomic>
#include <csignal>
#include <cstddef>
#include <cstdlib>

#include "results/folder.hpp"

#ifdef _WIN32
#include <direct.h>
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
  return append(buffer, size, at, " finished replicates, without a summary");
}

// The unfinished results folder and its final name, for the handlers; an
// empty `unfinished` when there is none. Written only while no handler that
// reads them is installed.
struct UnfinishedFolder {
  char unfinished[4096] = {};
  char finalName[4096] = {};
};
UnfinishedFolder folder;

bool copyName(char* to, std::size_t size, const std::string& name) {
  if (name.size() + 1 > size) return false;
  name.copy(to, name.size());
  to[name.size()] = '\0';
  return true;
}

void removeName(const char* name) {
#ifdef _WIN32
  (void)_unlink(name);
#else
  (void)::unlink(name);
#endif
}

bool removeFolder(const char* name) {
#ifdef _WIN32
  return _rmdir(name) == 0;
#else
  return ::rmdir(name) == 0;
#endif
}

// Removes the unfinished folder by the names it may hold (a handler may not
// list a folder); true when it is gone. Allocation-free.
bool removeUnfinishedFolder() {
  if (folder.unfinished[0] == '\0') return true;
  char name[sizeof folder.unfinished + 64];
  const std::size_t base = append(name, sizeof name - 1, 0, folder.unfinished);
  const std::size_t at = append(name, sizeof name - 1, base, "/");
  for (const char* file : results::kFolderFiles) {
    name[append(name, sizeof name - 1, at, file)] = '\0';
    removeName(name);
  }
  for (std::int32_t job = 1; job <= progress.job.load(); ++job) {
    std::size_t end = append(name, sizeof name - 1, at, results::kJobPicturePrefix);
    end = appendNumber(name, sizeof name - 1, end, job);
    name[append(name, sizeof name - 1, end, results::kJobPictureSuffix)] = '\0';
    removeName(name);
  }
  return removeFolder(folder.unfinished);
}

// What became of the results folder, for the interrupt line; empty without one.
std::size_t appendFolderNote(char* buffer, std::size_t size, std::size_t at, bool removed) {
  if (folder.unfinished[0] == '\0') return at;
  at = append(buffer, size, at, "; the results folder '");
  at = append(buffer, size, at, folder.finalName);
  at = append(buffer, size, at, "' was not made");
  if (removed) return at;
  at = append(buffer, size, at, " (its unfinished files are in '");
  at = append(buffer, size, at, folder.unfinished);
  return append(buffer, size, at, "')");
}

extern "C" void onInterrupt(int signal) {
  char line[256 + 2 * sizeof folder.unfinished];
  const bool removed = removeUnfinishedFolder();
  std::size_t length = formatInterruptLine(line, sizeof line - 1, progress.job.load(), progress.reached.load(),
                                           progress.IREP.load(), progress.finished.load());
  length = appendFolderNote(line, sizeof line - 1, length, removed);
  line[length++] = '\n';
  writeRaw(line, length);
  std::_Exit(interruptedStatus(signal));
}

// At a prompt: the folder removed, then the system's default action, which
// ends the process once this handler returns.
extern "C" void onInterruptAtAPrompt(int signal) {
  (void)removeUnfinishedFolder();
  std::signal(signal, SIG_DFL);
  (void)std::raise(signal);
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

// What an interrupt does outside a simulation's replicates.
void handleInterruptsAtPrompts() {
  handleInterrupts(folder.unfinished[0] != '\0' ? onInterruptAtAPrompt : SIG_DFL);
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

InterruptReport::~InterruptReport() { handleInterruptsAtPrompts(); }

UnfinishedFolderRemoval::UnfinishedFolderRemoval(const std::string& unfinished, const std::string& finalName) {
  handleInterrupts(SIG_DFL);
  // A name too long for the handler's buffer is left to the system's default.
  if (!copyName(folder.unfinished, sizeof folder.unfinished, unfinished) ||
      !copyName(folder.finalName, sizeof folder.finalName, finalName))
    folder.unfinished[0] = '\0';
  handleInterruptsAtPrompts();
}

UnfinishedFolderRemoval::~UnfinishedFolderRemoval() {
  handleInterrupts(SIG_DFL);
  folder.unfinished[0] = '\0';
}

void InterruptReport::replicateStarted(std::int32_t L) { progress.reached.store(L); }

void InterruptReport::replicateFinished(std::int32_t L) { progress.finished.store(L); }

}  // namespace arribada::driver
