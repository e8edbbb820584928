// The host face: what the R package and the browser page get from it. The
// expected figures are the README's worked examples and hand arithmetic.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "api/api.hpp"
#include "text/errors.hpp"

namespace arribada::api {
namespace {

std::string example(const std::string& name) {
  std::ifstream in(std::string(ARRIBADA_SOURCE_DIR) + "/examples/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The message a call refuses with; empty when it does not refuse.
template <typename Call>
std::string refusal(Call call) {
  try {
    call();
  } catch (const text::RunTimeError& error) {
    return error.what();
  }
  return {};
}

// ---- one simulation job ----------------------------------------------------

struct SimulationCase {
  const char* name;
  SimulationValues values;
  std::int32_t JX;
  double averageEstimate;
  double empiricalVariance;
  std::int32_t misses;
};

SimulationValues shortArribada() {
  SimulationValues v;
  v.NN = 20000;
  v.MIN = 8;
  v.IREP = 50;
  v.STDDEV = 1;
  v.KSW = 3;
  v.JX = 0;
  v.tableHours = {2, 4, 6, 8, 10, 12};
  v.tableWeights = {1, 3, 6, 6, 3, 1};
  return v;
}

TEST(HostSimulation, GivesTheWorkedExamplesFigures) {
  SimulationValues fileRule;
  fileRule.JX = 0;
  const SimulationCase cases[] = {
      {"the dialogue's default JX", SimulationValues{}, 762500001, 50198.4, 2413847.0, 3},
      {"the parameter file's default JX", fileRule, 387500001, 49664.64, 1714496.0, 3},
      {"a short arribada with its table", shortArribada(), -1, 19937.4, 595509.5, 4},
  };
  for (const SimulationCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::int32_t calls = 0;
    const Simulation s = runSimulation(c.values, {}, [&calls](std::int32_t done) { EXPECT_EQ(done, ++calls); });
    if (c.JX > 0) {
      EXPECT_EQ(s.JX, c.JX);
    }
    EXPECT_NEAR(s.figures.averageEstimate, c.averageEstimate, 0.01);
    EXPECT_NEAR(s.figures.empiricalVariance, c.empiricalVariance, 0.5);
    EXPECT_EQ(s.figures.misses, c.misses);
    EXPECT_EQ(calls, static_cast<std::int32_t>(c.values.IREP));
    EXPECT_EQ(s.replicates.size(), static_cast<std::size_t>(c.values.IREP));
    EXPECT_TRUE(s.summaryCsv.starts_with("job,title,NN,IHR,")) << s.summaryCsv;
    EXPECT_EQ(std::count(s.summaryCsv.begin(), s.summaryCsv.end(), '\n'), 2);
    EXPECT_EQ(std::count(s.replicatesCsv.begin(), s.replicatesCsv.end(), '\n'), c.values.IREP + 1);
    EXPECT_NE(s.histogramSvg.find("<svg"), std::string::npos);
  }
}

TEST(HostSimulation, TheShortTableIsTheOneRun) {
  const Simulation s = runSimulation(shortArribada());
  EXPECT_EQ(s.IHR, 12);
  ASSERT_EQ(s.tableHours.size(), 6u);
  EXPECT_EQ(s.tableHours.back(), 12.0);
  // Weights 1 3 6 6 3 1 of 20: by hour 4, 4 of 20 have nested.
  EXPECT_NEAR(s.tableCumulative[1], 0.2, 1e-6);
}

TEST(HostSimulation, TheDialoguesDefaultJX) {
  struct Case {
    double NN, IHR, NTR, IC, MIN;
    std::optional<std::int32_t> JX;
  };
  const Case cases[] = {
      {50000, 60, 10, 5, 5, 762500001},  // 50000 x 61 x 10 x 5 x 5 = 762 500 000, made odd
      {100, 24, 10, 5, 5, 625001},       // 100 x 25 x 10 x 5 x 5 = 625 000, made odd
      {100, 66, 10, 5, 5, 1825001},      // IHR 66 runs as 72: 100 x 73 x 10 x 5 x 5
      {1000000, 60, 1000, 1000, 5, std::nullopt},  // beyond 2 147 483 646
  };
  for (const Case& c : cases) {
    SimulationValues v;
    v.NN = c.NN;
    v.IHR = c.IHR;
    v.NTR = c.NTR;
    v.IC = c.IC;
    v.MIN = c.MIN;
    EXPECT_EQ(dialogueDefaultJX(v), c.JX) << c.NN << " " << c.IHR;
  }
}

TEST(HostSimulation, RefusalsNameTheValue) {
  struct Case {
    const char* name;
    SimulationValues values;
    EngineChoice engine;
    const char* message;
  };
  SimulationValues noReplicates, stop, uneven = shortArribada(), strips;
  noReplicates.IREP = 0;
  stop.KSW = 4;
  uneven.tableWeights.pop_back();
  strips.IC = 11;
  const Case cases[] = {
      {"no replicates", noReplicates, {}, "IREP = 0 replicates, outside 1 to 1000"},
      {"IC beyond NTR", strips, {}, "IC = 11 strips sampled, outside 1 to NTR = 10"},
      {"a stopping KSW", stop, {}, "stop the program"},
      {"a table short of a weight", uneven, {}, "6 hours but 5 weights"},
      {"three threads", SimulationValues{}, {3, ""}, "1 or 2 threads"},
      {"an unknown instruction set", SimulationValues{}, {1, "z80"}, "the instruction set 'z80' is not one"},
  };
  for (const Case& c : cases) {
    EXPECT_NE(refusal([&] { runSimulation(c.values, c.engine, {}, "the host"); }).find(c.message), std::string::npos)
        << c.name << ": " << refusal([&] { runSimulation(c.values, c.engine, {}, "the host"); });
  }
}

// Where the dialogue's default cannot be formed (150000 x 61 x 10 x 5 x 5 =
// 2287500000 passes 2147483646), the job takes the value the dialogue proposes.
TEST(HostSimulation, WithoutAFormableDefaultTheProposedJXIsUsed) {
  SimulationValues v;
  v.NN = 150000;
  v.IREP = 2;
  EXPECT_FALSE(dialogueDefaultJX(v).has_value());
  EXPECT_EQ(runSimulation(v).JX, 762500001);
}

// ---- the design search's tasks ---------------------------------------------

TEST(HostDesign, ValuesBecomeADesignFilesLines) {
  const NamedValues values = {{"NTR", Numbers{20}},
                              {"DENSITY", Numbers{1}},
                              {"DENSITY", Numbers{1, 3, 6}},
                              {"START", Texts{"first", "random"}},
                              {"TARGET_CV", Numbers{0.1}},
                              {"MIN", Numbers{2.5}}};
  EXPECT_EQ(designFileText(values),
            "NTR = 20\nDENSITY = 1\nDENSITY = 1, 3, 6\nSTART = first, random\nTARGET_CV = 0.1\nMIN = 2.5\n");
}

TEST(HostDesign, TheShippedSearchInTasksRecommendsWhatTheReadmeSays) {
  const DesignSearch search(example("beach.design"), "beach.design");
  ASSERT_EQ(search.tasks(), 2);
  EXPECT_EQ(search.designs(), 16);  // IC 4 x EVERY 2 x START 2
  std::vector<std::string> results;
  for (std::int32_t task = search.tasks() - 1; task >= 0; --task) results.push_back(search.runTask(task));
  const DesignProducts products = search.collect(results);
  EXPECT_TRUE(products.recommendation.starts_with(
      "Recommended: IC 5, every 4 h, first strip (12.5 observer-hours at most)."))
      << products.recommendation;
  // The table fits 80 columns and begins with the recommendation (wrapped).
  EXPECT_TRUE(products.table.starts_with("Recommended: IC 5, every 4 h, first strip (12.5 observer-hours at most)."))
      << products.table.substr(0, 160);
  EXPECT_EQ(products.designs.size(), 32u);
  EXPECT_DOUBLE_EQ(products.TARGET_CV, 0.10);
  EXPECT_TRUE(products.designsCsv.starts_with("scenario,")) << products.designsCsv.substr(0, 80);
  EXPECT_EQ(std::count(products.designsCsv.begin(), products.designsCsv.end(), '\n'), 33);
  EXPECT_NE(products.designsSvg.find("<svg"), std::string::npos);
  // Collected in the other order, the search is the same.
  const DesignProducts again = search.collect({results[1], results[0]});
  EXPECT_EQ(again.designsCsv, products.designsCsv);
  EXPECT_EQ(again.replicatesCsv, products.replicatesCsv);
}

TEST(HostDesign, CollectingRefusesResultsThatDoNotMakeTheSearch) {
  const std::string small = "NTR = 10\nNN = 20000, 50000\nIC = 2, 5\nIREP = 3\nROUND_MINUTES = 20\n"
                            "STRIP_MINUTES = 6\nTARGET_CV = 0.1\n";
  const DesignSearch search(small, "small.design");
  const DesignSearch other(small + "JX = 12345\n", "other.design");
  const std::string first = search.runTask(0);
  const std::string second = search.runTask(1);
  struct Case {
    const char* name;
    std::vector<std::string> results;
    const char* message;
  };
  const Case cases[] = {
      {"a task missing", {first}, "the parts of task(s) 2 of 2 are missing"},
      {"a task twice", {first, first}, "are both task 1"},
      {"another search's", {first, other.runTask(1)}, "a part of another search"},
      {"a damaged text", {first, second.substr(0, second.size() / 2)}, "not a whole part"},
      {"not a result", {first, "hello"}, "not a whole part"},
  };
  for (const Case& c : cases) {
    EXPECT_NE(refusal([&] { search.collect(c.results); }).find(c.message), std::string::npos) << c.name;
  }
  EXPECT_NE(refusal([&] { search.runTask(2); }).find("task 3 is not one of the search's 2 tasks"), std::string::npos);
}

TEST(HostDesign, AProgressThatSaysStopEndsTheTaskWithoutAResult) {
  const DesignSearch search("NTR = 10\nNN = 20000\nIC = 5\nIREP = 20\nROUND_MINUTES = 20\nSTRIP_MINUTES = 6\n"
                            "TARGET_CV = 0.1\n",
                            "stop.design");
  std::int32_t calls = 0;
  const std::string message = refusal([&] {
    search.runTask(0, [&calls](std::int32_t replicate, std::int32_t replicates) {
      EXPECT_EQ(replicates, 20);
      calls = replicate;
      return replicate < 3;
    });
  });
  EXPECT_EQ(calls, 3);
  EXPECT_NE(message.find("task 1 was stopped after replicate 3"), std::string::npos) << message;
}

TEST(HostDesign, ValuesAreRefusedByTheirNamesWithoutAFilesLines) {
  const std::string text = designFileText({{"NTR", Numbers{10}}, {"FOO", Numbers{1}}, {"IC", Numbers{2}}});
  const std::string fromValues = refusal([&] { DesignSearch(text, "host()", DesignOrigin::values); });
  EXPECT_TRUE(fromValues.starts_with("host() cannot run:\n")) << fromValues;
  EXPECT_NE(fromValues.find("unknown name 'FOO'"), std::string::npos) << fromValues;
  EXPECT_EQ(fromValues.find("line "), std::string::npos) << fromValues;
  const std::string fromFile = refusal([&] { DesignSearch(text, "mine.design"); });
  EXPECT_NE(fromFile.find("mine.design, line 2"), std::string::npos) << fromFile;
}

// ---- surveys and the nights ------------------------------------------------

TEST(HostNights, TheShippedSurveysGiveTheReadmesEstimates) {
  struct Case {
    const char* file;
    const char* estimate;  // as the table prints it
    double LCL, UCL;
  };
  const Case cases[] = {{"survey.dat", "443200.0", 408289.5, 478110.5},
                        {"perline.dat", "17333.3", 12745.4258, 21921.2383},
                        {"weighted.dat", "91600.0", 78403.5703, 104796.4141}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const NightsProducts p = analyseSurveyTexts({{c.file, example(c.file)}});
    EXPECT_NE(p.table.find(c.estimate), std::string::npos) << p.table;
    ASSERT_EQ(p.estimate.size(), 2u);  // the night and the total
    const auto field = [&p](const std::string& column) -> double {
      for (const results::NamedField& f : p.estimate.front()) {
        if (f.column == column) return static_cast<double>(std::get<float>(f.value));
      }
      return NAN;
    };
    EXPECT_NEAR(field("LCL"), c.LCL, 0.05);
    EXPECT_NEAR(field("UCL"), c.UCL, 0.05);
    EXPECT_TRUE(p.fieldCsv.starts_with("night,file,")) << p.fieldCsv.substr(0, 60);
    EXPECT_NE(p.fieldSvg.find("<svg"), std::string::npos);
  }
}

TEST(HostNights, TheHeaderCarriesItsNineNamesInTheFilesOrder) {
  const SurveyRead read = readSurveyText("survey.dat", example("survey.dat"));
  const char* names[] = {"AREA", "WIDTH", "HOURS", "MEANT", "LENGTH", "NTR", "NT1", "CODE", "JCODE"};
  const double values[] = {0.08, 2.0, 60.0, 15.0, 400.0, 8, 30, 1, 0};
  ASSERT_EQ(read.survey.header.size(), 9u);
  for (std::size_t i = 0; i < 9; ++i) {
    EXPECT_EQ(read.survey.header[i].name, names[i]);
    EXPECT_NEAR(read.survey.header[i].value, values[i], 1e-6) << names[i];
    EXPECT_EQ(read.survey.header[i].whole, i == 5 || i == 6 || i == 8) << names[i];
  }
  EXPECT_EQ(read.survey.times, 30);
  EXPECT_EQ(read.survey.transects, 8);
  EXPECT_EQ(read.survey.counts[0 * 8 + 1], 7);  // the first line: 3 7 3 2 4 4 3 3
  EXPECT_EQ(read.survey.counts[1 * 8 + 5], 21);  // the second: 9 12 8 5 5 21 7 6
}

TEST(HostNights, ATableOfCountsIsReadAsACsvSurvey) {
  // 100 m of transects 2 m wide each side on 0.08 km2: C = 0.0004 / 0.08 = 0.005;
  // 58 UELAs over 3 times of a 6-hour night, MEANT 58 minutes:
  // MHAT = 6 / 0.005 / (58 / 60) / 3 x 58 = 24000.
  const NamedValues values = {{"AREA", Numbers{0.08}}, {"WIDTH", Numbers{2}},    {"HOURS", Numbers{6}},
                              {"MEANT", Numbers{58}},  {"LENGTH", Numbers{100}}, {"TITLE", Texts{"a \"test\""}}};
  const SurveyValues survey =
      surveyFromTable({"20:00", "22:00", "00:00"}, {{"T1", {3, 9, 7}}, {"T2", {7, 12, 20}}}, values, "the table");
  EXPECT_EQ(survey.title, "a \"test\"");
  EXPECT_TRUE(survey.clock);
  ASSERT_EQ(survey.hours.size(), 3u);
  EXPECT_EQ(survey.hours[2], 24.0);  // midnight crossed
  const NightsProducts p = analyseNights({survey});
  EXPECT_NE(p.table.find("24000.0"), std::string::npos) << p.table;
  ASSERT_EQ(p.times.size(), 3u);
  EXPECT_EQ(p.times[1].total, 21);
  EXPECT_EQ(p.times[1].hours, 22.0);
  const std::string missing =
      refusal([&] { surveyFromTable({"20:00", "22:00"}, {{"T1", {3, NAN}}}, values, "the table"); });
  EXPECT_NE(missing.find("the table, row"), std::string::npos) << missing;
}

TEST(HostNights, SurveysWhoseValuesDoNotFitAreRefused) {
  const SurveyValues good = readSurveyText("survey.dat", example("survey.dat")).survey;
  struct Case {
    const char* name;
    SurveyValues survey;
    const char* message;
  };
  SurveyValues shape = good, count = good, header = good, whole = good, area = good;
  shape.counts.pop_back();
  count.counts[3] = 40000;
  header.header.pop_back();
  whole.header[5].value = 7.5;
  area.header[0].value = 0.001;  // the transects cover 400 m x 2 x 2 m = 0.0016 km^2
  const Case cases[] = {{"counts short of one", shape, "not a table of its sampling times by its transects"},
                        {"a count too large", count, "outside 0 to 32767"},
                        {"a header of eight", header, "nine values"},
                        {"NTR of 7.5", whole, "NTR must be a whole number"},
                        {"a nesting area smaller than the sample", area,
                         "AREA = 0.001 km2 is less than the transects' own area, their length x 2 x WIDTH = 0.0016 km2"}};
  for (const Case& c : cases) {
    EXPECT_NE(refusal([&] { analyseNights({c.survey}); }).find(c.message), std::string::npos) << c.name;
  }
}

TEST(HostNights, MessagesAndWarningsNameTheFile) {
  const std::string bad = "# AREA = 0.08\n# WIDTH = 2\n# HOURS = 6\n# MEANT = 58\n# LENGTH = 100\ntime,T1\n0,3\n1,x\n";
  const std::string message = refusal([&] { analyseSurveyTexts({{"bad.csv", bad}}); });
  EXPECT_NE(message.find("'bad.csv', row 8, column 2"), std::string::npos) << message;
  std::string hours = example("survey.dat");
  hours.replace(hours.find("15.0"), 4, "0.25");  // MEANT in hours by mistake
  std::vector<std::string> warnings;
  analyseSurveyTexts({{"hours.dat", hours}}, &warnings);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_TRUE(warnings[0].starts_with("MEANT = 0.25 in the header of 'hours.dat' is below 5")) << warnings[0];
}

// What plain values do not carry still counts for texts: a night's DATE and its strata.
TEST(HostNights, TextsKeepTheirDatesAndStrata) {
  const std::string dated = "# DATE = 2026-11-03\n";
  const std::string message =
      refusal([&] { analyseSurveyTexts({{"a.csv", dated + example("night-1.csv")}, {"b.csv", dated + example("night-2.csv")}}); });
  EXPECT_NE(message.find("both give DATE = 2026-11-03"), std::string::npos) << message;
  // Two transects of equal counts in two strata of half the area each: the
  // one sampling fraction gives the unstratified estimate, as a stratified night.
  const std::string night = "# AREA = 0.08\n# WIDTH = 2\n# HOURS = 4\n# MEANT = 60\n# LENGTH = 100\n"
                            "# STRATUM = 1, 2\n# STRATUM_AREA = 0.04, 0.04\ntime,T1,T2\n0,3,5\n2,4,6\n";
  const NightsProducts p = analyseSurveyTexts({{"s.csv", night}});
  ASSERT_FALSE(p.estimate.empty());
  // As plain values the night keeps its strata: 4 transects in strata of 2
  // and 4 km^2 give 16 + 64 = 80 females (worked by hand in the strata test),
  // where one stratum of 6 km^2 would give 72.
  const std::string values = "# AREA = 6\n# WIDTH = 250\n# HOURS = 2\n# MEANT = 60\n# LENGTH = 4000\n"
                             "# STRATUM = 1, 1, 2, 2\n# STRATUM_AREA = 2, 4\ntime,T1,T2,T3,T4\n0,1,3,2,4\n1,2,2,4,6\n";
  const SurveyValues survey = readSurveyText("s.csv", values).survey;
  EXPECT_EQ(survey.strata, (std::vector<std::int32_t>{1, 1, 2, 2}));
  const NightsProducts again = analyseNights({survey});
  EXPECT_NE(again.table.find("80.0"), std::string::npos) << again.table;
  SurveyValues broken = survey;
  broken.strata.pop_back();
  EXPECT_NE(refusal([&] { analyseNights({broken}); }).find("its strata are not"), std::string::npos);
  // Stratum 1's two transects sample 2 x 1000 m x 2 x 250 m = 1 km^2, more than its 0.5.
  SurveyValues crowded = survey;
  crowded.stratumAreas = {0.5, 5.5};
  EXPECT_NE(refusal([&] { analyseNights({crowded}); }).find("the area of stratum 1 = 0.5 km2 is less than"),
            std::string::npos);
}

TEST(HostRows, RowsBecomeTheFoldersCsvText) {
  struct Case {
    Rows rows;
    const char* text;
  };
  const Case cases[] = {
      {{}, ""},
      {{{{"a", 1}, {"b", std::string("x")}}}, "a,b\r\n1,\"x\"\r\n"},
      {{{{"a", 480.0f}, {"b", results::Missing{}}}, {{"a", true}, {"b", -2}}}, "a,b\r\n480.0,\r\nTRUE,-2\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(csvText(c.rows), c.text);
}

}  // namespace
}  // namespace arribada::api
