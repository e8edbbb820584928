#include "entry/dialogue.hpp"

#include <cmath>
#include <cstdio>

#include "engine/random.hpp"
#include "engine/real.hpp"
#include "engine/table.hpp"
#include "text/errors.hpp"
#include "text/freeread.hpp"

namespace arribada::entry {
namespace {

using Lines = std::initializer_list<const char*>;

const Lines kNnPrompt = {"GIVE THE TRUE NUMBER OF FEMALE TURTLES:", "IN ALL CHOICES, ENTER 0 (ZERO) AS THE DEFAULT!!",
                         "(THE MAXIMUM POSSIBLE IS 1000000 FEMALES)", "(THE MINIMUM NUMBER IS 1000)",
                         "(THE DEFAULT ,0, VALUE IS 50000)"};
const Lines kIhrPrompt = {"ENTER THE LENGTH OF THE ARRIBADA IN HOURS:", "(THE DEFAULT, 0, IS 60 HOURS)",
                          "(THE MAXIMUM POSSIBLE LENGTH IS 120 HOURS)", "IHR WILL BE ALTERED IF NOT DIVISIBLE BY 12"};
const Lines kMinPrompt = {"ENTER IN MINUTES THE LENGTH OF TIME OF THE ", "UNAMBIGUOUS NESTING ACTIVITY",
                          "(THE DEFAULT, 0, IS 5 MINUTES)", "(THE MINIMUM LENGTH IS 1 MIN)",
                          "(MAY BE CORRELATION PROBLEMS IF MIN > 60 MIN)"};
const Lines kStddevPrompt = {"ENTER THE STANDARD DEVIATION IN HOURS FOR DESCRIBING ",
                             "VARIABILITY IN UNAMBIGUOUS NESTING ACTIVITY:", "THE STD. DEV. *MUST* BE <= 2.0",
                             "(THE DEFAULT, 0, IS 2 HOURS)"};
const Lines kNtrPrompt = {"ENTER THE TRUE NUMBER QUADRATS (STRIPS) ON THE BEACH:",
                          "(THE DEFAULT, 0, IS 10 QUADRATS (STRIPS))", "(THE MAXIMUM NUMBER AVAILABLE IS 1000)"};
const Lines kIcPrompt = {"ENTER THE NO. OF STRIPS FOR INSTANTANEOUS COUNTING", "(THE MAXIMUM NUMBER AVAILABLE IS 1000)",
                         "IC *MUST* BE AN EXACT DIVISOR OF NTR AND <= NTR",
                         "(YOU CAN SAMPLE ALL STRIPS, I.E. CHOOSE IC=NTR", "(THE DEFAULT, 0, IS 5 QUADRATS (STRIPS))"};
const Lines kIrepPrompt = {"ENTER THE NUMBER OF TIMES THE SIMULATION IS TO BE", "REPEATED:",
                           "(THE DEFAULT, 0, IS 100 REPLICATIONS)", "(THE MAXIMUM NUMBER AVAILABLE IS 1000)"};
const Lines kJxPrompt = {"IN ORDER TO GENERATE RANDOM NORMAL DEVIATES,", "ENTER A LARGE ODD NUMBER:",
                         "(THE DEFAULT, 0, LETS THE PROGRAM CALCULATE JX)"};
const Lines kKswPrompt = {"WHAT KIND OF RANDOM VARIABLES DO YOU WISH?", "ENTER 1, 2 OR 3 FOR NORMAL, POISSON OR UNIFORM",
                          "RANDOM VARIABLES;  DEFAULT = NORMAL"};

template <typename Value>
void takeDefault(Value& value, Value fallback) {
  if (value == Value{0}) value = fallback;
}

}  // namespace

bool isYes(char answer) { return answer == 'Y' || answer == 'y'; }

std::int64_t madeOdd(std::int64_t JX) { return JX % 2 == 0 ? JX + 1 : JX; }

bool isValidSeed(std::int64_t JX) { return JX >= 1 && JX <= engine::kLargestSeed; }

std::optional<std::int32_t> keyboardDefaultSeed(const engine::SimulationParameters& p) {
  // The integer product NN x NTI x NTR x IC is formed exactly and must stay a
  // 32-bit value, as must its product with the real MIN.
  const std::int64_t product = std::int64_t{p.NN} * p.NTI * p.NTR * p.IC;
  if (product > std::int64_t{INT32_MAX}) return std::nullopt;
  const double scaled = static_cast<double>(product) * engine::wide(p.MIN);
  if (!engine::truncatesToInt32(scaled)) return std::nullopt;
  const std::int64_t seed = madeOdd(static_cast<std::int64_t>(scaled));
  if (!isValidSeed(seed)) return std::nullopt;
  return static_cast<std::int32_t>(seed);
}

std::string whyNoDefaultSeed(const engine::SimulationParameters& p) {
  const double product = static_cast<double>(p.NN) * p.NTI * p.NTR * p.IC * engine::wide(p.MIN);
  char digits[64];
  std::snprintf(digits, sizeof digits, "%.0f", std::trunc(product));
  return "the default JX, NN x NTI x NTR x IC x MIN = " + std::to_string(p.NN) + " x " + std::to_string(p.NTI) +
         " x " + std::to_string(p.NTR) + " x " + std::to_string(p.IC) + " x " + text::shortReal(p.MIN) + " = " +
         digits + ", is beyond the largest starting value " + std::to_string(engine::kLargestSeed) +
         "; type an odd number from 1 to " + std::to_string(engine::kLargestSeed - 1) + ", such as 762500001";
}

bool KeyboardDialogue::askYesNo(const char* question) {
  answer_ = text::readCharacter(console_.keyboard(), std::string("the answer to \"") + question + "\"");
  return isYes(answer_);
}

bool KeyboardDialogue::confirm() {
  console_.write({std::string("DO YOU WISH TO CHANGE THE VALUE?  (Y/N)")});
  return !askYesNo("DO YOU WISH TO CHANGE THE VALUE?");
}

namespace {

void writeLines(text::Console& console, Lines lines) {
  for (const char* line : lines) console.write({std::string(line)});
}

// What to type instead of a number that a comma split: without the
// separators when every group after a comma has three digits ("120,000"
// gives 120000, or 120.000 if a decimal was meant), else with a decimal
// point ("1,5" gives 1.5).
std::string commaAdvice(const std::string& typed) {
  std::string joined;  // the commas left out
  for (const char c : typed) {
    if (c != ',') joined += c;
  }
  std::string pointed = typed;
  const std::size_t first = typed.find(',');
  pointed[first] = '.';
  bool thousands = first <= 3 && typed.find('.') == std::string::npos;
  for (std::size_t at = first; thousands && at != std::string::npos; at = typed.find(',', at + 1)) {
    const std::size_t next = typed.find(',', at + 1);
    thousands = (next == std::string::npos ? typed.size() : next) - at - 1 == 3;
  }
  if (thousands) return "type " + joined + ", without a thousands separator (or " + pointed + " if a decimal was meant)";
  return "type " + pointed + ", with a decimal point";
}

// One value read from the keyboard into `value`. A number that a comma split
// gets a hint on the error output; the screen stays as it is.
template <typename Value>
void readAnswer(text::Console& console, const text::ValueName& name, Value& value) {
  text::LineSource& keyboard = console.keyboard();
  const text::ReadOutcome read =
      text::readFreeFormat(keyboard, {&value}, text::AtEndOfInput::Fail, text::namedAll(name.what, name.example));
  if (const auto typed = text::numberSplitAtComma(read)) {
    console.warnings().warn(keyboard.placeOf(name.what) + ": \"" + *typed +
                            "\" was read up to its comma, since a comma separates two values; " + commaAdvice(*typed));
  }
}

// The prompt lines, then one value read into the parameter; true when accepted.
template <typename Value, typename Accept>
bool readAccepted(text::Console& console, Lines prompt, const text::ValueName& name, Value& value, Accept accept) {
  writeLines(console, prompt);
  readAnswer(console, name, value);
  return accept(value);
}

// How the messages name each answer.
const text::ValueName kNnName{"the answer to NN, the true number of females", "50000"};
const text::ValueName kIhrName{"the answer to IHR, the length of the arribada in hours", "60"};
const text::ValueName kMinName{"the answer to MIN, the minutes of unambiguous nesting activity", "5.0"};
const text::ValueName kStddevName{"the answer to STDDEV, the standard deviation in hours", "2.0"};
const text::ValueName kNtrName{"the answer to NTR, the number of strips on the beach", "10"};
const text::ValueName kIcName{"the answer to IC, the number of strips sampled", "5"};
const text::ValueName kIrepName{"the answer to IREP, the number of replicates", "100"};
const text::ValueName kJxName{"the answer to the JX question, the random starting value", "762500001"};
const text::ValueName kKswName{"the answer to KSW, the kind of random variables (1, 2 or 3)", "1"};

}  // namespace

template <typename Value, typename Accept>
void KeyboardDialogue::block(Lines prompt, const text::ValueName& name, const char* echo, Value& value, Accept accept) {
  do {
    while (!readAccepted(console_, prompt, name, value, accept)) {
    }
    console_.write({std::string(echo), value});
  } while (!confirm());
}

void KeyboardDialogue::nnBlock(engine::SimulationParameters& p) {
  block(kNnPrompt, kNnName, "YOU CHOSE NN =", p.NN, [](std::int32_t& v) {
    takeDefault(v, 50000);
    return v >= 1000 && v <= 1000000;
  });
}

void KeyboardDialogue::ihrBlock(engine::SimulationParameters& p) {
  // 17 would round to 12, and an arribada below 18 hours takes its nesting
  // table from the input unit, which here is the keyboard, with no prompt:
  // it is refused like any value out of range, so that only multiples of 12
  // from 24 to 120 leave the block.
  block(kIhrPrompt, kIhrName, "YOU CHOSE IHR =", p.IHR, [](std::int32_t& v) {
    takeDefault(v, 60);
    if (v < engine::kShortestBuiltInArribada || v > 120) return false;
    v = engine::roundToTwelve(v);
    return true;
  });
  console_.writeEmpty();
  console_.write({std::string("THE NUMBER OF SAMPLING PERIODS IS NTI = IHR + 1")});
  p.NTI = keyboardNTI(p.IHR);
  console_.writeEmpty();
}

void KeyboardDialogue::minBlock(engine::SimulationParameters& p) {
  const std::int32_t longest = 60 * p.IHR;
  block(kMinPrompt, kMinName, "YOU CHOSE MIN =", p.MIN, [longest](float& v) {
    takeDefault(v, 5.0f);
    return v >= 1.0f && !(static_cast<double>(longest) < v);
  });
}

void KeyboardDialogue::stddevBlock(engine::SimulationParameters& p) {
  block(kStddevPrompt, kStddevName, "YOU CHOSE STDDEV =", p.STDDEV, [](float& v) {
    takeDefault(v, 2.0f);
    return v >= 0.0f && v <= 2.0f;
  });
}

void KeyboardDialogue::ntrBlock(engine::SimulationParameters& p) {
  block(kNtrPrompt, kNtrName, "YOU CHOSE NTR =", p.NTR, [](std::int32_t& v) {
    takeDefault(v, 10);
    return v >= 1 && v <= engine::kMaxStrips;
  });
}

// False when NTR is below 3, so that no IC can be accepted: the dialogue then
// goes back to the NTR block instead of repeating this one for ever.
bool KeyboardDialogue::icBlock(engine::SimulationParameters& p) {
  const std::int32_t strips = p.NTR;
  do {
    while (!readAccepted(console_, kIcPrompt, kIcName, p.IC, [strips](std::int32_t& v) {
      takeDefault(v, 5);
      return v <= engine::kMaxStrips && v != 0 && strips % v == 0 && v >= 3;
    })) {
      if (strips < 3) {
        console_.write({std::string("NO IC IS POSSIBLE WITH NTR ="), strips});
        console_.write({std::string("PLEASE ENTER NTR AGAIN")});
        return false;
      }
    }
    console_.write({std::string("YOU CHOSE IC ="), p.IC});
  } while (!confirm());
  return true;
}

void KeyboardDialogue::irepBlock(engine::SimulationParameters& p) {
  block(kIrepPrompt, kIrepName, "YOU CHOSE IREP =", p.IREP, [](std::int32_t& v) {
    takeDefault(v, 100);
    return v >= 2 && v <= engine::kMaxReplicates;
  });
}

// A typed JX that is, once made odd, not a state of the generator (below 1,
// or 2147483647) is refused like a value out of range. A default whose
// products leave that range is not used: a line says so and the block is
// asked again.
void KeyboardDialogue::jxBlock(engine::SimulationParameters& p) {
  do {
    for (;;) {
      writeLines(console_, kJxPrompt);
      readAnswer(console_, kJxName, p.JX);
      if (p.JX == 0) {
        const auto seed = keyboardDefaultSeed(p);
        if (!seed) {
          console_.write({std::string("THE DEFAULT JX IS TOO LARGE FOR THESE VALUES;")});
          console_.write({std::string("PLEASE ENTER A LARGE ODD NUMBER")});
          console_.warnings().warn(whyNoDefaultSeed(p));
          continue;
        }
        p.JX = *seed;
        break;
      }
      const std::int64_t odd = madeOdd(p.JX);
      if (isValidSeed(odd)) {
        p.JX = static_cast<std::int32_t>(odd);
        break;
      }
    }
    console_.write({std::string("YOU CHOSE JX ="), p.JX});
  } while (!confirm());
}

void KeyboardDialogue::kswBlock(engine::SimulationParameters& p) {
  // The range is tested before 0 becomes the default.
  block(kKswPrompt, kKswName, "YOU CHOSE KSW=", p.KSW, [](std::int32_t& v) {
    if (v < 0 || v > 3) return false;
    takeDefault(v, 1);
    return true;
  });
}

void KeyboardDialogue::run(engine::SimulationParameters& p) {
  nnBlock(p);
  ihrBlock(p);
  minBlock(p);
  stddevBlock(p);
  do {
    ntrBlock(p);
  } while (!icBlock(p));
  irepBlock(p);
  jxBlock(p);
  kswBlock(p);
}

}  // namespace arribada::entry
