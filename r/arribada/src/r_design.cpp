// arribada_design() and its tasks: the search's arguments as a design
// file's text, one scenario per task, each task's result carried in R as
// the library's text of it, and the results collected as the program
// collects them.

#include "r_tables.h"

namespace {

arribada::api::DesignSearch searchOf(const std::string& settings) {
  return {settings, "arribada_design()", arribada::api::DesignOrigin::values};
}

}  // namespace

[[cpp11::register]]
std::string design_settings_text(cpp11::list arguments) {
  return arribada::api::designFileText(arribada::r::namedValues(arguments));
}

// The size of a search: its scenarios, designs and replicates (the settings checked).
[[cpp11::register]]
cpp11::integers design_size(std::string settings) {
  const arribada::api::DesignSearch search = searchOf(settings);
  cpp11::writable::integers size = {search.tasks(), search.designs(), search.replicates()};
  size.names() = {"scenarios", "designs", "IREP"};
  return size;
}

[[cpp11::register]]
std::string design_run_scenario(std::string settings, int index, std::string instructionSet, SEXP progress) {
  // R stops the run by an interrupt (or an error of `progress`), between two replicates.
  const arribada::api::DesignProgress report = [progress](std::int32_t replicate, std::int32_t) {
    cpp11::check_user_interrupt();
    if (progress != R_NilValue) cpp11::function{progress}(replicate);
    return true;
  };
  return searchOf(settings).runTask(index, report, {1, instructionSet});
}

[[cpp11::register]]
cpp11::list design_combine(std::string settings, std::vector<std::string> results) {
  const arribada::api::DesignProducts search = searchOf(settings).collect(results);
  cpp11::writable::list out;
  out.push_back(arribada::r::columnsOf(search.designs));
  out.push_back(cpp11::as_sexp(search.recommendation));
  out.push_back(cpp11::as_sexp(search.table));
  out.push_back(cpp11::as_sexp(search.TARGET_CV));
  out.names() = {"table", "recommendation", "text", "TARGET_CV"};
  return out;
}

[[cpp11::register]]
cpp11::list design_task_rows(std::string settings, std::string result) {
  return arribada::r::columnsOf(searchOf(settings).taskRows(result));
}
