#pragma once
// The parameter entry of every job: the title, the choice between field data
// and a simulation, and for a simulation the parameters from the keyboard or
// a parameter file, the nesting-time table and the derived NTI and JX.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/parameters.hpp"
#include "fielddata/analysis.hpp"
#include "text/channels.hpp"
#include "text/filenames.hpp"

namespace arribada::entry {

struct Channels {
  text::Console& console;
  text::ReportUnit& report;
  text::InputUnit& input;  // unit 5
  text::FileNamer& names;
};

class ParameterEntry {
 public:
  explicit ParameterEntry(Channels channels) : io_(channels) {}

  // One job's entry (INPUT). Returns false after a field-data job, which sets
  // p.NTI = 0 and leaves the program to stop; true when a simulation's
  // parameters, with NTI >= 2, and its nesting-time table are ready.
  bool input(engine::SimulationParameters& p, engine::NestingTable& table);

  // The title line of the data file the last job read, trailing blanks
  // removed; empty for a job entered at the keyboard.
  const std::string& title() const { return title_; }
  // What the last job's field-data analysis printed, when it was one.
  const std::optional<fielddata::FieldResult>& fieldResult() const { return field_; }

 private:
  void writeOpening();
  void openDataFile();
  void simulationFromFile(engine::SimulationParameters& p, engine::NestingTable& table);

  Channels io_;
  char CHER_ = '\0';       // the last yes-or-no answer; none before the first
  std::string FNAME_;      // the data-file name as last typed
  std::string title_;
  std::optional<fielddata::FieldResult> field_;
};

// The finishing steps of both simulation paths, from the final IHR: NTI, and
// for a JX of 0 (possible only from a parameter file) the file rule
// NN x NTI x NTR x IC x (MIN rounded to whole minutes); then JX made odd.
// `source` names the parameter file in the message when the seed or the
// arribada cannot be used.
void finishParameters(engine::SimulationParameters& p, const std::string& source);

}  // namespace arribada::entry
