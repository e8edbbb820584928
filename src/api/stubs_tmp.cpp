// First version: the calls declared, their bodies still to come.
#include "api/api.hpp"
#include "text/errors.hpp"

namespace arribada::api {
namespace {
[[noreturn]] void notYet() { throw text::RunTimeError("not yet"); }
}  // namespace
std::string csvText(const Rows&) { notYet(); }
std::vector<std::string> instructionSets() { notYet(); }
Simulation runSimulation(const SimulationValues&, const EngineChoice&, const ReplicateProgress&) { notYet(); }
std::optional<std::int32_t> dialogueDefaultJX(const SimulationValues&) { notYet(); }
std::string designFileText(const NamedValues&) { notYet(); }
DesignSearch::DesignSearch(std::string text, std::string name, DesignOrigin) : text_(std::move(text)), name_(std::move(name)) { notYet(); }
std::int32_t DesignSearch::tasks() const { notYet(); }
std::int32_t DesignSearch::designs() const { notYet(); }
std::string DesignSearch::runTask(std::int32_t, const DesignProgress&, const EngineChoice&) const { notYet(); }
DesignProducts DesignSearch::collect(const std::vector<std::string>&) const { notYet(); }
SurveyRead readSurveyFile(const std::string&) { notYet(); }
SurveyRead readSurveyText(const std::string&, const std::string&) { notYet(); }
SurveyValues surveyFromTable(const std::vector<std::string>&, const std::vector<CountColumn>&, const NamedValues&, const std::string&) { notYet(); }
NightsProducts analyseNights(const std::vector<SurveyValues>&) { notYet(); }
NightsProducts analyseSurveyTexts(const std::vector<SurveyText>&, std::vector<std::string>*) { notYet(); }
}  // namespace arribada::api
