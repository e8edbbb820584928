// The page's door into the library (compiled by web/build.sh only): plain C
// functions that the page's worker calls. Texts come in as UTF-8 bytes and
// every answer goes out as one JSON text, {"ok": true, ...} with the
// products or {"ok": false, "message": ...} with the library's message,
// kept until the next call. Only the library's host face (src/api/) is used.
#include <emscripten/emscripten.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "api/api.hpp"
#include "api/report_text.hpp"

namespace {

using namespace arribada;

// The page's worker passes progress on to the page (at most ten times a second).
EM_JS(void, postProgress, (int done, int total), {
  if (typeof Module['onProgress'] === 'function') Module['onProgress'](done, total);
});

// JSON ----------------------------------------------------------------------

std::string jsonText(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

// One JSON object, built field by field.
class Json {
 public:
  Json& text(const char* name, std::string_view value) { return raw(name, jsonText(value)); }
  Json& number(const char* name, double value) { return raw(name, std::isfinite(value) ? fixedShort(value) : "null"); }
  Json& texts(const char* name, const std::vector<std::string>& values) {
    std::string list = "[";
    for (const auto& value : values) list += (list.size() > 1 ? "," : "") + jsonText(value);
    return raw(name, list + "]");
  }
  Json& raw(const char* name, const std::string& value) {
    body_ += (body_.empty() ? "" : ",") + jsonText(name) + ":" + value;
    return *this;
  }
  std::string str() const { return "{" + body_ + "}"; }

 private:
  static std::string fixedShort(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
  }
  std::string body_;
};

// The answer of the last call, alive until the next one.
std::string answer;

const char* give(const Json& json) {
  answer = json.str();
  return answer.c_str();
}

template <class Work>
const char* answerOf(Work work) {
  try {
    return give(work().raw("ok", "true"));
  } catch (const std::exception& fault) {
    return give(Json().raw("ok", "false").text("message", fault.what()));
  }
}

// Progress ------------------------------------------------------------------

// Hands progress to the page no more often than every tenth of a second, and always the last.
class ProgressPacer {
 public:
  void report(std::int64_t done, std::int64_t total) {
    const auto now = std::chrono::steady_clock::now();
    if (done < total && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    postProgress(static_cast<int>(done), static_cast<int>(total));
  }

 private:
  std::chrono::steady_clock::time_point last_{};
};

// Nights --------------------------------------------------------------------

std::vector<api::SurveyText> nightFiles;

// Design form ---------------------------------------------------------------

// A form field's item: a number where it reads whole as one, else the text
// (the design reader then refuses it with its own message).
bool readsAsNumber(const std::string& item, double& value) {
  if (item.empty()) return false;
  char* end = nullptr;
  value = std::strtod(item.c_str(), &end);
  return end == item.c_str() + item.size();
}

// Lines "NAME<TAB>item<TAB>item..." as named values, in their order.
api::NamedValues formValues(std::string_view lines) {
  api::NamedValues values;
  while (!lines.empty()) {
    const auto lineEnd = std::min(lines.find('\n'), lines.size());
    std::string_view line = lines.substr(0, lineEnd);
    lines.remove_prefix(std::min(lineEnd + 1, lines.size()));
    std::vector<std::string> cells;
    for (std::size_t start = 0;;) {
      const auto tab = line.find('\t', start);
      cells.emplace_back(line.substr(start, tab == std::string_view::npos ? line.npos : tab - start));
      if (tab == std::string_view::npos) break;
      start = tab + 1;
    }
    if (cells.size() < 2) continue;
    api::Numbers numbers;
    double number = 0.0;
    bool allNumbers = true;
    for (std::size_t i = 1; i < cells.size(); ++i) {
      allNumbers = allNumbers && readsAsNumber(cells[i], number);
      numbers.push_back(number);
    }
    if (allNumbers) {
      values.push_back({cells[0], numbers});
    } else {
      values.push_back({cells[0], api::Texts(cells.begin() + 1, cells.end())});
    }
  }
  return values;
}

const char* kFormName = "the form";

Json designAnswer(const api::DesignSearch& search) {
  const std::int64_t tasks = search.tasks();
  const std::int64_t replicates = search.replicates();
  ProgressPacer pacer;
  std::vector<std::string> results;
  for (std::int32_t task = 0; task < tasks; ++task) {
    results.push_back(search.runTask(task, [&](std::int32_t replicate, std::int32_t) {
      pacer.report(task * replicates + replicate, tasks * replicates);
      return true;
    }));
  }
  const api::DesignProducts products = search.collect(results);
  return Json()
      .text("table", products.table)
      .text("recommendation", products.recommendation)
      .text("designsCsv", products.designsCsv)
      .text("designsSvg", products.designsSvg)
      .text("designFile", search.text());
}

}  // namespace

extern "C" {

// Nights: forget the files given so far, give each file, then analyse them.
EMSCRIPTEN_KEEPALIVE void arribada_nights_clear() { nightFiles.clear(); }

EMSCRIPTEN_KEEPALIVE void arribada_nights_add(const char* name, const char* bytes, int length) {
  nightFiles.push_back({name, std::string(bytes, static_cast<std::size_t>(length))});
}

EMSCRIPTEN_KEEPALIVE const char* arribada_nights_run() {
  return answerOf([] {
    std::vector<std::string> warnings;
    const api::NightsProducts products = api::analyseSurveyTexts(nightFiles, &warnings);
    return Json()
        .text("table", products.table)
        .text("fieldCsv", products.fieldCsv)
        .text("fieldSvg", products.fieldSvg)
        .texts("warnings", warnings);
  });
}

// The design search of a design file's text, every scenario in turn.
EMSCRIPTEN_KEEPALIVE const char* arribada_design_file(const char* name, const char* bytes, int length) {
  return answerOf([&] {
    const api::DesignSearch search(std::string(bytes, static_cast<std::size_t>(length)), name);
    return designAnswer(search);
  });
}

// The design file the form's values make, checked as the search would check it.
EMSCRIPTEN_KEEPALIVE const char* arribada_design_form_text(const char* lines) {
  return answerOf([&] {
    const api::DesignSearch search(api::designFileText(formValues(lines)), kFormName, api::DesignOrigin::values);
    return Json().text("designFile", search.text());
  });
}

// The design search of the form's values.
EMSCRIPTEN_KEEPALIVE const char* arribada_design_form(const char* lines) {
  return answerOf([&] {
    const api::DesignSearch search(api::designFileText(formValues(lines)), kFormName, api::DesignOrigin::values);
    return designAnswer(search);
  });
}

// One simulation of the nine values; hasJX 0 takes the dialogue's default starting value.
EMSCRIPTEN_KEEPALIVE const char* arribada_simulate(double NN, double IHR, double MIN, double STDDEV, double NTR,
                                                   double IC, double IREP, int hasJX, double JX, double KSW) {
  return answerOf([&] {
    api::SimulationValues values;
    values.NN = NN;
    values.IHR = IHR;
    values.MIN = MIN;
    values.STDDEV = STDDEV;
    values.NTR = NTR;
    values.IC = IC;
    values.IREP = IREP;
    values.KSW = KSW;
    if (hasJX != 0) values.JX = JX;
    ProgressPacer pacer;
    const auto replicates = static_cast<std::int64_t>(IREP);
    const api::Simulation run =
        api::runSimulation(values, {}, [&](std::int32_t done) { pacer.report(done, replicates); });
    const api::SimulationFigures& f = run.figures;
    return Json()
        .number("JX", run.JX)
        .number("IHR", run.IHR)
        .text("averageEstimate", api::reportReal(f.averageEstimate))
        .text("averageVARM", api::reportReal(f.averageVARM))
        .text("averageVARTR", api::reportReal(f.averageVARTR))
        .text("averageVARTI", api::reportReal(f.averageVARTI))
        .text("empiricalVariance", api::reportReal(f.empiricalVariance))
        .number("misses", f.misses)
        .number("replicates", f.replicates)
        .text("summaryCsv", run.summaryCsv)
        .text("histogramSvg", run.histogramSvg);
  });
}

}  // extern "C"
