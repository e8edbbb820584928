#include "api/task_text.hpp"

#include <bit>
#include <cstdint>
#include <optional>
#include <sstream>
#include <utility>

#include "text/errors.hpp"

namespace arribada::api::detail {
namespace {

using design::DesignMeasures;

constexpr const char* kHeading = "arribada design task result 1";

// DesignMeasures' members, named once for the trip through text.
constexpr double DesignMeasures::*kReals[] = {
    &DesignMeasures::meanEstimate, &DesignMeasures::meanEstimateSE, &DesignMeasures::percentBias,
    &DesignMeasures::percentBiasSE, &DesignMeasures::cv, &DesignMeasures::cvSE, &DesignMeasures::rmse,
    &DesignMeasures::rmseSE, &DesignMeasures::halfWidthPercent, &DesignMeasures::halfWidthPercentSE};
constexpr std::optional<double> DesignMeasures::*kOptionals[] = {
    &DesignMeasures::coverage,      &DesignMeasures::coverageSE,      &DesignMeasures::coverageVARM,
    &DesignMeasures::coverageVARMSE, &DesignMeasures::coverageVARTR, &DesignMeasures::coverageVARTRSE,
    &DesignMeasures::coverageVARTI, &DesignMeasures::coverageVARTISE};
constexpr float engine::ReplicateEstimate::*kEstimates[] = {
    &engine::ReplicateEstimate::MHAT,  &engine::ReplicateEstimate::VARM, &engine::ReplicateEstimate::VARTR,
    &engine::ReplicateEstimate::VARTI, &engine::ReplicateEstimate::LCL,  &engine::ReplicateEstimate::UCL};

// FNV-1a of the settings text.
std::uint64_t fingerprint(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

class Writer {
 public:
  Writer() { out_ << std::hex; }
  Writer& word(std::uint64_t value) {
    out_ << ' ' << value;
    return *this;
  }
  Writer& real(double value) { return word(std::bit_cast<std::uint64_t>(value)); }
  Writer& line(const std::string& key) {
    out_ << (started_ ? "\n" : "") << key;
    started_ = true;
    return *this;
  }
  std::string text() { return out_.str() + "\n"; }

 private:
  std::ostringstream out_;
  bool started_ = false;
};

class Reader {
 public:
  explicit Reader(const std::string& text) : in_(text) {}
  // The next line, which must begin with `key`.
  void line(const std::string& key) {
    std::string found;
    if (!std::getline(in_, found) || !found.starts_with(key)) refuse();
    words_.clear();
    words_.str(found.substr(key.size()));
    words_ >> std::hex;
  }
  std::uint64_t word() {
    std::uint64_t value = 0;
    if (!(words_ >> value)) refuse();
    return value;
  }
  std::int32_t whole() { return static_cast<std::int32_t>(static_cast<std::uint32_t>(word())); }
  double real() { return std::bit_cast<double>(word()); }
  std::string rest() {
    std::string text;
    std::getline(words_ >> std::ws, text);
    return text;
  }
  [[noreturn]] static void refuse() { throw text::RunTimeError("a design task's result is damaged or of another kind"); }

 private:
  std::istringstream in_;
  std::istringstream words_;
};

void writeOutcome(Writer& w, const design::DesignOutcome& o) {
  w.line("design").word(static_cast<std::uint32_t>(o.cost.rounds)).real(o.cost.observerHours).word(o.cost.feasible);
  w.word(o.meetsTargets).word(static_cast<std::uint32_t>(o.measures.replicates));
  w.word(static_cast<std::uint32_t>(o.measures.misses)).word(o.replicates.size());
  w.line("reals");
  for (auto member : kReals) w.real(o.measures.*member);
  w.line("optionals");
  for (auto member : kOptionals) {
    const std::optional<double>& value = o.measures.*member;
    w.word(value.has_value()).real(value.value_or(0.0));
  }
  w.line("estimates");
  for (const engine::ReplicateEstimate& e : o.replicates) {
    for (auto member : kEstimates) w.word(std::bit_cast<std::uint32_t>(e.*member));
  }
  w.line("skipped " + o.skipped);
}

design::DesignOutcome readOutcome(Reader& r, const design::Design& d) {
  design::DesignOutcome o;
  o.design = d;
  r.line("design");
  o.cost = {r.whole(), r.real(), r.word() != 0};
  o.meetsTargets = r.word() != 0;
  o.measures.replicates = r.whole();
  o.measures.misses = r.whole();
  const std::uint64_t estimates = r.word();
  r.line("reals");
  for (auto member : kReals) o.measures.*member = r.real();
  r.line("optionals");
  for (auto member : kOptionals) {
    const bool present = r.word() != 0;
    const double value = r.real();
    if (present) o.measures.*member = value;
  }
  r.line("estimates");
  for (std::uint64_t i = 0; i < estimates; ++i) {
    engine::ReplicateEstimate e;
    for (auto member : kEstimates) e.*member = std::bit_cast<float>(static_cast<std::uint32_t>(r.word()));
    o.replicates.push_back(e);
  }
  r.line("skipped");
  o.skipped = r.rest();
  return o;
}

}  // namespace

std::string taskResultText(const design::ScenarioResult& result, const std::string& settingsText) {
  Writer w;
  w.line(kHeading);
  w.line("search").word(fingerprint(settingsText));
  w.line("scenario").word(static_cast<std::uint32_t>(result.scenario.index));
  w.word(static_cast<std::uint32_t>(result.replicates)).word(static_cast<std::uint32_t>(result.independentReplicates));
  w.word(result.stopped).word(result.designs.size());
  for (const design::DesignOutcome& o : result.designs) writeOutcome(w, o);
  return w.text();
}

design::ScenarioResult taskResultFromText(const std::string& text, const std::string& settingsText,
                                          const std::vector<design::Scenario>& scenarios,
                                          const std::vector<design::Design>& designs) {
  Reader r(text);
  r.line(kHeading);
  r.line("search");
  if (r.word() != fingerprint(settingsText)) {
    throw text::RunTimeError("a task's result belongs to another design search");
  }
  r.line("scenario");
  const std::uint64_t index = r.word();
  design::ScenarioResult result;
  result.replicates = r.whole();
  result.independentReplicates = r.whole();
  result.stopped = r.word() != 0;
  if (index >= scenarios.size() || r.word() != designs.size()) Reader::refuse();
  result.scenario = scenarios[index];
  for (const design::Design& d : designs) result.designs.push_back(readOutcome(r, d));
  return result;
}

}  // namespace arribada::api::detail
