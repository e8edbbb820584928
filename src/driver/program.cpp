#include "driver/program.hpp"

#include <istream>
#include <memory>
#include <optional>
#include <ostream>

#include "driver/interrupt.hpp"
#include "engine/replicate_summary.hpp"
#include "engine/simulation.hpp"
#include "engine/table.hpp"
#include "entry/parameter_entry.hpp"
#include "fielddata/analysis.hpp"
#include "results/sink.hpp"
#include "text/errors.hpp"
#include "text/filenames.hpp"
#include "text/freeread.hpp"

namespace arribada::driver {
namespace {

using engine::ReplicateSummary;

constexpr std::int32_t kReportUnit = 6;

struct Run {
  text::Console& console;
  text::ReportUnit& report;
  text::InputUnit& input;
  Clock& clock;
  DateTime start;  // the date of every stamp is the date of program start
  text::Warnings warnings;         // to the error output
  results::ResultsSink& results;  // the results folder's, or one that keeps nothing
  std::int32_t job = 0;           // jobs begun, this one included
};

void writeStamp(text::RecordSink& report, const DateTime& date, const DateTime& time) {
  report.write({std::string("THE DATE & TIME ARE")});
  report.write({date.year, date.month, date.day});
  report.write({time.hour, time.minute, time.second});
}

void echoParameters(text::RecordSink& report, const engine::SimulationParameters& p) {
  report.write({std::string("THE TRUE POPULATION IS="), p.NN});
  report.write({std::string("NUMBER OF HOURS IN ARRIBADA="), p.IHR});
  report.write({std::string("NUMBER OF TIME PERIODS SAMPLED="), p.NTI});
  report.write({std::string("NUMBER OF MINUTES UNAMBIGUOUS NESTING ACT."), p.MIN});
  report.write({std::string("THE STANDARD DEVIATION OF UNAMBIGUOUS NESTING")});
  report.write({std::string("ACTIVITY IS"), p.STDDEV});
  report.write({std::string("THE NUMBER OF TOTAL TRANSECTS="), p.NTR});
  report.write({std::string("THE NUMBER OF TRANSECTS (STRIPS) SAMPLED="), p.IC});
  report.write({std::string("THE NUMBER OF REPLICATES IS="), p.IREP});
  report.write({std::string("RANDOM STARTING VALUE="), p.JX});
  report.write({std::string("NORMAL=1;POISSON=2;UNIFORM=3"), p.KSW});
}

// The job's tables and pictures, when a results folder was asked for; `p`
// as echoed, with the job's starting value JX.
void keepResults(Run& run, const std::string& title, const engine::SimulationParameters& p,
                 const ReplicateSummary& summary, std::int32_t independentReplicates) {
  run.results.simulationEnded(results::simulationRecord(run.job, title, p, summary, independentReplicates));
}

// Said once, on the error output, when a job's random stream comes round to
// draws it has already used: the report itself stays as it is.
void warnOfWrap(Run& run, const engine::PeriodWatch& period, std::int32_t IREP) {
  run.warnings.warn("job " + std::to_string(run.job) + ": the random stream repeats itself in replicate " +
                    std::to_string(period.wrappedIn()) + " (after " + std::to_string(engine::kStreamPeriod) +
                    " draws); replicates from there on reuse the draws of earlier ones, so the " +
                    std::to_string(IREP) + " replicates hold about " +
                    std::to_string(period.independentReplicates()) +
                    " replicates' worth of independent information (docs/limits.md)");
}

// Returns the random stream's state after the last replicate.
std::int32_t runReplicates(Run& run, const std::string& title, const engine::SimulationParameters& p,
                           const engine::NestingTable& table) {
  engine::SimulationJob job(p, table);
  ReplicateSummary summary(p.NN);
  InterruptReport progress(run.job, p.IREP);
  for (std::int32_t L = 1; L <= p.IREP; ++L) {
    progress.replicateStarted(L);
    for (int i = 0; i < 4; ++i) run.report.writeEmpty();
    run.console.write({std::string("REPLICATE NUMBER ="), L});
    run.report.write({std::string("REPLICATE NUMBER ="), L});
    summary.add(job.runReplicate(run.report));
    if (job.period().wrappedIn() == L) warnOfWrap(run, job.period(), p.IREP);
    progress.replicateFinished(L);
  }
  summary.write(run.report);
  keepResults(run, title, p, summary, job.period().independentReplicates());
  return job.JX();
}

// JX, like every variable, keeps its value into the next job: the stream's
// last state, which a null JX there continues from.
void runSimulation(Run& run, const std::string& title, engine::SimulationParameters& p,
                   const engine::NestingTable& table) {
  run.console.write({std::string("PLEASE BE PATIENT.....")});
  run.console.write({std::string("I AM WORKING AS FAST AS POSSIBLE.....")});
  echoParameters(run.report, p);
  engine::echoTable(table, run.report);
  p.JX = runReplicates(run, title, p, table);
  writeStamp(run.report, run.start, run.clock.now());
  run.input.close();
  // From the next job on, the report unit is the screen.
  run.report.close();
}

// The analysis of the survey in the field-data file that the entry opened on
// unit 5, or of the CSV night it read whole.
void runFieldData(Run& run, const std::string& title, engine::SimulationParameters& p,
                  const std::optional<fielddata::Survey>& csvNight) {
  const fielddata::FieldResult result =
      csvNight ? fielddata::analyseSurveyAsJob(*csvNight, run.console, run.report, p)
               : fielddata::analyseFieldData(run.input.source(), run.console, run.report, p, run.warnings);
  run.results.fieldDataAnalysed({run.job, title, result});
}

std::unique_ptr<text::ReportFile> createReport(text::Console& console, text::FileNamer& names) {
  console.write({std::string("ENTER THE OUTPUT FILE NAME IN SINGLE QUOTES")});
  std::string GNAME;
  text::readFreeFormat(console.keyboard(), {text::TextTarget{&GNAME, text::kWholeText}}, text::AtEndOfInput::Fail,
                       text::namedAll("the name of the report file", "'playa-2026.txt'"));
  return std::make_unique<text::ReportFile>(names.resolve(GNAME, kReportUnit));
}

// Said after a run-time error once the report file exists: what it holds,
// and that the next run cannot create it again.
std::string keptReportNote(const std::string& reportName) {
  if (reportName.empty()) return {};
  return ". The report file '" + reportName +
         "' keeps what was written before this; the next run needs another name, or that file removed";
}

// The job loop, the one place where a job starts and ends: the entry says
// what the next job is and the loop runs it. Simulations follow one another;
// a field-data job is the last of the run. Returns when the run ends in order.
void runJobs(Run& run, entry::ParameterEntry& entry) {
  // All values live from one job to the next: an answer "/" keeps the value
  // of the job before.
  engine::SimulationParameters p;
  for (;;) {
    ++run.job;
    const entry::NextJob job = entry.nextJob(p);
    switch (job.kind) {
      case entry::JobKind::Simulation:
        runSimulation(run, entry.title(), p, job.table);
        break;
      case entry::JobKind::FieldData:
        runFieldData(run, entry.title(), p, job.survey);
        return;
      case entry::JobKind::Stop:
        return;
    }
  }
}

// After a run-time error: a results folder that holds whole jobs keeps them
// under its name; one that holds none, or a job half written, is not made.
// Returns what became of it, for the error's message.
std::string settleFolder(results::ResultsSink& results) {
  const std::string name = results.folderName();
  if (name.empty()) return {};
  const std::int32_t jobs = results.wholeJobs();
  if (jobs > 0) {
    try {
      results.runEnded();
      return ". The results folder '" + name + "' holds the " + std::to_string(jobs) + " job(s) finished before this";
    } catch (const text::RunTimeError&) {
      // Not made, as below.
    }
  }
  return ". The results folder '" + name + "' was not made";
}

}  // namespace

int runProgram(std::istream& keyboard, std::ostream& screen, std::ostream& errors, const Options& options,
               Clock& clock) {
  text::Console console(keyboard, screen, text::Warnings(&errors));
  text::ReportUnit report(console.screen());
  text::InputUnit input(console);
  text::FileNamer names(console, options.names);
  std::string reportName;  // once the report file is created
  std::unique_ptr<results::ResultsSink> results;
  try {
    results = results::openResults(options.resultsDirectory);
    const UnfinishedFolderRemoval removal(results->unfinishedFolder(), results->folderName());
    try {
      auto file = createReport(console, names);
      reportName = file->name();
      report.connect(std::move(file));
      Run run{console, report, input, clock, clock.now(), text::Warnings(&errors), *results};
      writeStamp(report, run.start, run.start);
      entry::ParameterEntry entry({console, report, input, names});
      runJobs(run, entry);
    } catch (const text::OrderlyStop&) {
      // An orderly stop raised inside a job ends the run the same way.
    }
    results->runEnded();
    console.screen().writeRaw("Stop - Program terminated.\n");
  } catch (const text::RunTimeError& error) {
    console.screen().flush();
    errors << "arribada: run-time error: " << error.what() << keptReportNote(reportName)
           << (results ? settleFolder(*results) : std::string()) << '\n';
    errors.flush();
    return text::kRunTimeErrorStatus;
  }
  return 0;
}

}  // namespace arribada::driver
