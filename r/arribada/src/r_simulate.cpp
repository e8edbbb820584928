// arribada_simulate(): one simulation job, its values from R, its summary
// and replicates as the program's results tables.

#include "r_tables.h"

[[cpp11::register]]
cpp11::list simulate_job(cpp11::list values, cpp11::doubles marks, cpp11::doubles weights, bool defaultJX,
                         int threads, std::string instructionSet, SEXP progress) {
  using namespace arribada;
  const auto value = [&values](const char* name) { return cpp11::as_cpp<double>(values[name]); };
  const api::SimulationValues v{.NTR = value("NTR"), .IC = value("IC"), .NN = value("NN"), .IHR = value("IHR"),
                                .MIN = value("MIN"), .IREP = value("IREP"), .STDDEV = value("STDDEV"),
                                .KSW = value("KSW"), .JX = defaultJX ? std::nullopt : std::optional(value("JX")),
                                .tableHours = {marks.begin(), marks.end()},
                                .tableWeights = {weights.begin(), weights.end()}};
  // R stops the run by an interrupt (or an error of `progress`), between two replicates.
  const api::ReplicateProgress report = [progress](std::int32_t done) {
    cpp11::check_user_interrupt();
    if (progress != R_NilValue) cpp11::function{progress}(done);
  };
  const api::Simulation job = api::runSimulation(v, {threads, instructionSet}, report, "arribada_simulate()");
  cpp11::writable::list table;
  table.push_back(cpp11::writable::doubles(job.tableHours.begin(), job.tableHours.end()));
  table.push_back(cpp11::writable::doubles(job.tableCumulative.begin(), job.tableCumulative.end()));
  table.names() = {"hour", "cumulative"};
  cpp11::writable::list out;
  out.push_back(r::columnsOf({job.summary}));
  out.push_back(r::columnsOf(job.replicates));
  out.push_back(cpp11::as_sexp(job.JX));
  out.push_back(table);
  out.names() = {"summary", "replicates", "JX", "table"};
  return out;
}

[[cpp11::register]]
cpp11::strings instruction_sets() {
  const std::vector<std::string> names = arribada::api::instructionSets();
  return cpp11::writable::strings(names.begin(), names.end());
}
