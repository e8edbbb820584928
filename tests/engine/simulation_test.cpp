// A whole simulation job, checked against a separate, deliberately plain
// re-implementation of the arribada written here from the description of
// the model: 1-based arrays, the generator as 16807 * IX mod (2^31 - 1) in
// 64 bits, every step spelled out inline.

#include "engine/simulation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "driver/summary.hpp"
#include "text/errors.hpp"
#include "text/format.hpp"

namespace arribada::engine {
namespace {

double D(double x) { return x; }
float F(double x) { return static_cast<float>(x); }

struct Job {
  SimulationParameters p;
  std::vector<float> marks;    // hour marks of the nesting-time table
  std::vector<float> percent;  // cumulative proportions, the last one 1.0
};

class ReferenceArribada {
 public:
  explicit ReferenceArribada(const Job& job) : job_(job), p_(job.p), JX_(job.p.JX) {
    UINT_.push_back(0.0f);
    PERCNT_.push_back(0.0f);
    for (float m : job.marks) UINT_.push_back(m);
    for (float q : job.percent) PERCNT_.push_back(q);
    KK_ = static_cast<int>(job.marks.size());
  }

  std::vector<text::Items> run() {
    std::vector<float> POP, VARM, VARTR, VARTI;
    int NTILT = 0;
    for (int L = 1; L <= p_.IREP; ++L) {
      generate();
      float MHAT, VM, VTR, VTI, LCL, UCL;
      countAndEstimate(MHAT, VM, VTR, VTI, LCL, UCL);
      POP.push_back(MHAT);
      VARM.push_back(VM);
      VARTR.push_back(VTR);
      VARTI.push_back(VTI);
      if (LCL > F(p_.NN) || UCL < F(p_.NN)) NTILT = NTILT + 1;
    }
    summarise(POP, VARM, VARTR, VARTI, NTILT);
    return lines_;
  }

  std::int64_t finalState() const { return JX_; }
  int redrawLines = 0;
  int consistencyLines = 0;
  int negativeVarianceReplicates = 0;

 private:
  float uniform() {
    JX_ = JX_ * 16807 % 2147483647;
    return F(D(JX_) / 2147483648.0);
  }

  void generate() {
    TRAN_.assign(static_cast<std::size_t>(p_.NTR + 1), std::vector<int>(static_cast<std::size_t>(p_.IHR + 2), 0));
    const float DIV = F(D(p_.MIN) / 120.0);
    for (int I = 1; I <= p_.NN; ++I) {
      const float UU = uniform();
      int MM = 1;
      while (PERCNT_[MM] < UU) MM = MM + 1;
      float DIFF, MEANT;
      if (MM > 1) {
        DIFF = F(D(UINT_[MM]) - D(UINT_[MM - 1]));
        MEANT = F((D(UINT_[MM - 1]) + D(UINT_[MM])) / 2.0);
      } else {
        DIFF = UINT_[1];
        MEANT = F(D(DIFF) / 2.0);
      }
      while (true) {
        const float TIME = drawTime(MM, DIFF, MEANT);
        int J = static_cast<int>(D(uniform()) * D(p_.NTR) + 1.0);
        if (J > p_.NTR) J = p_.NTR;
        const float HR = F(static_cast<int>(D(TIME) + 0.5));
        const int K = static_cast<int>(HR) + 1;
        if (K <= 0 || K > p_.IHR + 1) {
          lines_.push_back({K, TIME, HR, I});
          redrawLines = redrawLines + 1;
          continue;
        }
        if (std::fabs(D(TIME) - D(HR)) <= D(DIV)) {
          TRAN_[J][K] = TRAN_[J][K] + 1;
        }
        break;
      }
    }
  }

  float drawTime(int MM, float DIFF, float MEANT) {
    if (p_.KSW == 1) {
      if (ISW_ == 1) {
        float W;
        do {
          U1_ = 0.0f;
          while (U1_ == 0.0f) U1_ = F(2.0 * D(uniform()) - 1.0);
          U2_ = F(2.0 * D(uniform()) - 1.0);
          W = F(D(U1_) * D(U1_) + D(U2_) * D(U2_));
        } while (W > 1.0f);
        Z_ = F(D(U1_) * std::sqrt(-2.0 * std::log(D(W)) / D(W)));
      } else {
        Z_ = F(D(Z_) * D(U2_) / D(U1_));
      }
      ISW_ = 1 - ISW_;
      if (Z_ > 3.0f) Z_ = 3.0f;
      if (Z_ < -3.0f) Z_ = -3.0f;
      const float STUD = F(D(DIFF) * D(p_.STDDEV) / 12.0);
      return F(D(STUD) * D(Z_) + D(MEANT));
    }
    if (p_.KSW == 2) {
      const float XX = F(D(DIFF) / 2.0);
      const float DEXP = F(std::exp(-D(XX)));
      float PROD = uniform();
      float TIME = 0.0f;
      if (!(PROD < DEXP)) {
        const int NM = static_cast<int>(D(DIFF) + D(0.1f)) - 1;
        bool small = false;
        for (int j = 1; j <= NM; ++j) {
          TIME = F(j);
          PROD = F(D(PROD) * D(uniform()));
          if (PROD < DEXP) {
            small = true;
            break;
          }
        }
        if (!small) TIME = F(NM);
      }
      TIME = F(D(TIME) + D(uniform()));
      if (MM > 1) TIME = F(D(TIME) + D(UINT_[MM - 1]));
      return TIME;
    }
    if (MM > 1) {
      return F(D(uniform()) * D(DIFF) + D(UINT_[MM - 1]));
    }
    return F(D(uniform()) * D(UINT_[1]));
  }

  static float add(float a, double b) { return F(D(a) + b); }

  void countAndEstimate(float& MHAT, float& VARM, float& VARTR, float& VARTI, float& LCL, float& UCL) {
    const int IT = p_.NTR / p_.IC;
    const int NT1 = p_.NTI - 1;
    std::vector<float> TR(static_cast<std::size_t>(p_.NTR + 1), 0.0f);
    std::vector<float> TI(static_cast<std::size_t>(p_.IHR + 2), 0.0f);
    float SUM = 0.0f, SS = 0.0f;
    int M = 0;
    for (int J = 1; J <= p_.NTR; J = J + IT) {
      float BUM = 0.0f;
      M = M + 1;
      int NM = 0;
      for (int K = 2; K <= 2 * (p_.IHR / 2); K = K + 2) {
        NM = NM + 1;
        const float DUM = F(TRAN_[J][K]);
        SS = add(SS, D(DUM) * DUM);
        SUM = add(SUM, DUM);
        BUM = add(BUM, DUM);
        TI[NM] = add(TI[NM], DUM);
      }
      TR[M] = BUM;
    }
    const float AN = F(NT1 * p_.IC);
    float SSTR = 0.0f, SUMN = 0.0f, SSTI = 0.0f, SUMM = 0.0f;
    for (int k = 1; k <= p_.IC; ++k) {
      SSTR = add(SSTR, D(TR[k]) * TR[k]);
      SUMN = add(SUMN, TR[k]);
    }
    for (int k = 1; k <= NT1; ++k) {
      SSTI = add(SSTI, D(TI[k]) * TI[k]);
      SUMM = add(SUMM, TI[k]);
    }
    if (SUM != SUMN) {
      lines_.push_back({std::string("SUMN NE SUM"), SUMN, SUM});
      consistencyLines = consistencyLines + 1;
    }
    if (SUMM != SUMN) {
      lines_.push_back({std::string("SUMN NE SUMM"), SUMM, SUMN});
      consistencyLines = consistencyLines + 1;
    }
    const float VARN = F((D(SS) * AN - D(SUM) * SUM) / (AN - 1.0));
    const double nt1 = F(NT1);
    const double ic = F(p_.IC);
    const float VTR = F((nt1 * SS - SSTR) / (nt1 - 1.0));
    const float VTI = F((ic * SS - SSTI) / (ic - 1.0));
    const float C = F(D(F(p_.IC)) / F(p_.NTR));
    const float H = F(p_.IHR);
    const float HBAR = F(D(p_.MIN) / 60.0);
    const float CONST = F(D(H) / C / HBAR / NT1);
    MHAT = F(D(CONST) * SUMN);
    lines_.push_back({std::string("MHAT="), MHAT});
    VARM = F(D(VARN) * CONST * CONST);
    VARTR = F(D(CONST) * CONST * VTR);
    VARTI = F(D(CONST) * CONST * VTI);
    // VARTI < 0 happens when extra strips are visited (they are in SS and SSTI
    // but IC is the multiplier); such an interval has no width.
    const double width = VARTI < 0.0f ? 0.0 : 2.0 * std::sqrt(D(VARTI));
    if (VARTI < 0.0f) negativeVarianceReplicates = negativeVarianceReplicates + 1;
    LCL = F(MHAT - width);
    UCL = F(MHAT + width);
  }

  void summarise(const std::vector<float>& POP, const std::vector<float>& V1, const std::vector<float>& V2,
                 const std::vector<float>& V3, int NTILT) {
    float SUM = 0.0f, SS = 0.0f, SS2 = 0.0f, SS3 = 0.0f;
    for (int I = 0; I < p_.IREP; ++I) {
      SUM = add(SUM, POP[I]);
      SS = add(SS, V1[I]);
      SS2 = add(SS2, V2[I]);
      SS3 = add(SS3, V3[I]);
    }
    const double R = F(p_.IREP);
    const float AVEPOP = F(SUM / R);
    const float AVEVAR = F(SS / R);
    SS2 = F(SS2 / R);
    SS3 = F(SS3 / R);
    float squares = 0.0f;
    for (int I = 0; I < p_.IREP; ++I) squares = add(squares, std::pow(D(POP[I]) - AVEPOP, 2));
    SS = F(squares / D(F(p_.IREP - 1)));
    const float RATIO = F(D(F(NTILT)) / R);
    lines_.push_back({});
    lines_.push_back({});
    lines_.push_back({std::string("SUMMARY STATISTICS FOLLOW:")});
    lines_.push_back({std::string("AVERAGE ESTIMATED POPULATION SIZE="), AVEPOP});
    lines_.push_back({std::string("AVERAGE ESTIMATED POPULATION VARIANCE="), AVEVAR, SS2, SS3});
    lines_.push_back({std::string("EMPIRICAL VARIANCE="), SS});
    lines_.push_back({std::string("THE NUMBER OF TIMES THE CONFIDENCE INTERVALS")});
    lines_.push_back({std::string("DO NOT INCLUDE THE KNOWN POPULATION SIZE")});
    lines_.push_back({std::string("IS"), NTILT, std::string("  OUT OF"), p_.IREP, std::string("  TIMES.")});
    lines_.push_back({std::string("WITH A PROPORTION OF"), RATIO});
  }

  Job job_;
  SimulationParameters p_;
  std::int64_t JX_;
  int KK_ = 0;
  std::vector<float> UINT_, PERCNT_;
  std::vector<std::vector<int>> TRAN_;
  int ISW_ = 1;
  float Z_ = 0.0f, U1_ = 0.0f, U2_ = 0.0f;
  std::vector<text::Items> lines_;
};

Job makeJob(std::int32_t KSW, std::int32_t NN, std::int32_t IHR, float MIN, float STDDEV, std::int32_t NTR,
            std::int32_t IC, std::int32_t IREP, std::int32_t JX, std::vector<float> marks, std::vector<float> percent) {
  Job job;
  job.p.KSW = KSW;
  job.p.NN = NN;
  job.p.IHR = IHR;
  job.p.NTI = samplingSchedule(IHR).NTI();
  job.p.MIN = MIN;
  job.p.STDDEV = STDDEV;
  job.p.NTR = NTR;
  job.p.IC = IC;
  job.p.IREP = IREP;
  job.p.JX = JX;
  job.marks = std::move(marks);
  job.percent = std::move(percent);
  return job;
}

NestingTable tableOf(const Job& job) {
  NestingTable t;
  t.KK = static_cast<std::int32_t>(job.marks.size());
  for (std::size_t i = 0; i < job.marks.size(); ++i) {
    t.UINT[i] = job.marks[i];
    t.PERCNT[i] = job.percent[i];
  }
  return t;
}

struct Outcome {
  std::vector<std::string> records;
  std::int32_t finalJX;
};

Outcome runThroughTheEngine(const Job& job) {
  SimulationJob simulation(job.p, tableOf(job));
  driver::ReplicateSummary summary(job.p.NN);
  text::RecordingSink report;
  for (std::int32_t L = 1; L <= job.p.IREP; ++L) summary.add(simulation.runReplicate(report));
  summary.write(report);
  return {report.records, simulation.JX()};
}

std::vector<std::string> layout(const std::vector<text::Items>& lines) {
  std::vector<std::string> records;
  for (const text::Items& items : lines) {
    for (std::string& r : text::layoutRecords(items)) records.push_back(std::move(r));
  }
  return records;
}

void expectSameReport(const Job& job, int minRedraws, int minConsistency) {
  ReferenceArribada reference(job);
  const std::vector<std::string> expected = layout(reference.run());
  const Outcome outcome = runThroughTheEngine(job);
  EXPECT_EQ(outcome.records.size(), expected.size());
  const std::size_t common = std::min(outcome.records.size(), expected.size());
  for (std::size_t i = 0; i < common; ++i) {
    ASSERT_EQ(outcome.records[i], expected[i]) << "first difference at report line " << i;
  }
  EXPECT_EQ(outcome.finalJX, reference.finalState());
  EXPECT_GE(reference.redrawLines, minRedraws);
  EXPECT_GE(reference.consistencyLines, minConsistency);
}

TEST(SimulationJob, NormalLawKeepsItsPairAcrossReplicates) {
  // An odd NN: each new replicate starts on the second deviate of a pair.
  expectSameReport(makeJob(1, 1001, 24, 30.0f, 2.0f, 4, 2, 3, 12345, {12.0f, 24.0f}, {0.96f, 1.0f}), 0, 0);
}

TEST(SimulationJob, WideNormalLawRedrawsAndUnevenStridesAreReported) {
  // One 12-hour interval with STUD = 4 hours: times fall before hour 0 and
  // after hour 12. NTR 3, IC 2: strip 3 is visited but left out of SUMN.
  expectSameReport(makeJob(1, 300, 12, 60.0f, 4.0f, 3, 2, 2, 987654321, {12.0f}, {1.0f}), 5, 2);
}

TEST(SimulationJob, PoissonLawOverThreeDays) {
  expectSameReport(makeJob(2, 1000, 36, 10.0f, 2.0f, 5, 5, 2, 762500001, {12.0f, 24.0f, 36.0f}, {0.48f, 0.52f, 1.0f}),
                   0, 0);
}

TEST(SimulationJob, UniformLawOverAShortUserTable) {
  expectSameReport(makeJob(3, 1000, 6, 20.0f, 2.0f, 10, 5, 3, 1, {2.0f, 4.0f, 6.0f}, {0.25f, 0.75f, 1.0f}), 0, 0);
}

TEST(SimulationJob, ParametersBeyondTheGridAreRefused) {
  const Job base = makeJob(1, 10, 24, 30.0f, 2.0f, 4, 2, 1, 12345, {12.0f, 24.0f}, {0.96f, 1.0f});
  const auto refused = [&](auto change) {
    Job job = base;
    change(job.p);
    EXPECT_THROW(SimulationJob(job.p, tableOf(job)), text::RunTimeError);
  };
  refused([](SimulationParameters& p) { p.JX = 0; });
  refused([](SimulationParameters& p) { p.JX = 2147483647; });
  refused([](SimulationParameters& p) { p.NTR = 1001; });
  refused([](SimulationParameters& p) { p.IC = 5; });
  refused([](SimulationParameters& p) { p.IHR = 205; });
  refused([](SimulationParameters& p) { p.NTI = 1; });
  refused([](SimulationParameters& p) { p.NTI = 12; });  // 24 hours are counted at 12 times: NTI 13
  refused([](SimulationParameters& p) { p.KSW = 4; });
  refused([](SimulationParameters& p) { p.STDDEV = INFINITY; });
  refused([](SimulationParameters& p) { p.MIN = 1e38f; });
}

}  // namespace
}  // namespace arribada::engine
