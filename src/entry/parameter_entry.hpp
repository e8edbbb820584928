#pragma once
// The parameter entry of every job: the title, the choice between field data
// and a simulation, and for a simulation the parameters from the keyboard or
// a parameter file, the nesting-time table and the derived NTI and JX. The
// entry says which job comes next; the driver runs it.

#include <cstdint>
#include <optional>
#include <string>

#include "engine/parameters.hpp"
#include "fielddata/analysis.hpp"
#include "text/channels.hpp"
#include "text/filenames.hpp"
#include "text/lines.hpp"

namespace arribada::entry {

struct Channels {
  text::Console& console;
  text::ReportUnit& report;
  text::InputUnit& input;  // unit 5
  text::FileNamer& names;
};

// The kinds of job the driver chooses between.
enum class JobKind {
  Simulation,  // the parameters, with NTI >= 2, and the nesting-time table are ready
  FieldData,   // a field-data file is open on unit 5, or a CSV night read whole, and its title echoed;
               // it is the run's last job
  Stop,        // no further job: the run ends in order
};

struct NextJob {
  JobKind kind = JobKind::Stop;
  engine::NestingTable table;  // a simulation's nesting-time table
  std::optional<fielddata::Survey> survey;  // a field-data job's CSV night; none for a file open on unit 5
};

class ParameterEntry {
 public:
  explicit ParameterEntry(Channels channels) : io_(channels) {}

  // One job's entry (INPUT): what the next job is. A simulation's parameters
  // are left in `p`, whose values live from one job to the next (an answer
  // "/" keeps the value of the job before); a parameter file whose values
  // end the run gives a Stop, and so does an end of input at the first
  // question of a later job (the answers have said all they had to say).
  NextJob nextJob(engine::SimulationParameters& p);

  // The title line of the data file the last job read, trailing blanks
  // removed; empty for a job entered at the keyboard.
  const std::string& title() const { return title_; }

 private:
  void writeOpening();
  void openDataFile(const char* kind);
  std::string askDataFileName(const char* kind);
  void echoTitleLine(const std::string& titleLine);
  NextJob fieldDataJob();
  NextJob simulationFromFile(engine::SimulationParameters& p);
  // The new table, with the entries beyond its rows kept from the table
  // before (a later file's null entries keep them); it becomes table_.
  const engine::NestingTable& keptTable(engine::NestingTable built);

  Channels io_;
  char CHER_ = '\0';       // the last yes-or-no answer; none before the first
  std::string FNAME_;      // the data-file name as last typed
  std::string title_;
  int jobsDone_ = 0;       // calls before this one, each a whole job
  // The nesting-time table is static storage: it lives from one job to the
  // next, and a null entry of a later parameter file keeps its value.
  engine::NestingTable table_;
};

// The title line of a data file, its first line read as the program reads
// it (a fixed width of 80 characters), and the title it gives: that line
// without its trailing blanks.
std::string readTitleLine(text::LineSource& file);
std::string titleOf(const std::string& titleLine);

// The finishing steps of both simulation paths, from the final IHR: NTI, and
// for a JX of 0 (possible only from a parameter file) the file rule
// NN x NTI x NTR x IC x (MIN rounded to whole minutes); then JX made odd.
// `source` names the parameter file in the message when the seed or the
// arribada cannot be used.
void finishParameters(engine::SimulationParameters& p, const std::string& source);

}  // namespace arribada::entry
