#pragma once
// What an interrupt during a simulation says: which job and replicate the
// run had reached, and that the report holds the finished replicates without
// a summary; the process then ends with status 128 + the signal's number, as
// a shell reports it (130 for Ctrl-C). Ctrl-C (SIGINT), SIGTERM (a shutdown,
// `kill`) and SIGHUP (the terminal closed) are interrupts alike.
//
// The progress lives in lock-free atomics that the handler reads; the handler
// formats its one line into a fixed buffer, without allocating, and hands it
// to the system's raw write before it ends the process. Every report line is
// already with the system by then (each is flushed as it is written).

#include <cstdint>
#include <string>

namespace arribada::driver {

// 128 + the signal's number: 130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP.
constexpr int interruptedStatus(int signal) { return 128 + signal; }

// While one exists, an interrupt ends the run with the line above; before
// and after (at the prompts) an interrupt keeps the system's default action.
class InterruptReport {
 public:
  InterruptReport(std::int32_t job, std::int32_t IREP);
  ~InterruptReport();
  InterruptReport(const InterruptReport&) = delete;
  InterruptReport& operator=(const InterruptReport&) = delete;

  void replicateStarted(std::int32_t L);
  void replicateFinished(std::int32_t L);
};

// While one exists, an interrupt first removes the run's unfinished results
// folder (every name a results folder may hold, then the folder itself),
// since a folder that is not whole must not stay behind. At a prompt the
// process then ends as the system's default would (killed by the signal);
// under an InterruptReport its line also says that the folder was not made.
// Nothing happens for an empty name.
class UnfinishedFolderRemoval {
 public:
  UnfinishedFolderRemoval(const std::string& unfinished, const std::string& finalName);
  ~UnfinishedFolderRemoval();
  UnfinishedFolderRemoval(const UnfinishedFolderRemoval&) = delete;
  UnfinishedFolderRemoval& operator=(const UnfinishedFolderRemoval&) = delete;
};

// While one exists, the first interrupt only asks the work to stop: the
// caller looks at signal() between replicates and ends in order (its threads
// stopped, its own message, status interruptedStatus). A second interrupt
// ends the process at once, as it would without this. For the design search,
// whose results are written only at its end.
class StopRequest {
 public:
  StopRequest();
  ~StopRequest();
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  // The signal that asked for the stop; 0 while none has.
  int signal() const;
};

}  // namespace arribada::driver
