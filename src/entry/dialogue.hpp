#pragma once
// The keyboard dialogue: nine blocks of prompt lines, one per parameter, each
// with its default (the answer 0), its bounds, its echo and the question
// whether to change the value.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "engine/parameters.hpp"
#include "text/channels.hpp"
#include "text/freeread.hpp"

namespace arribada::entry {

// The answer to a yes-or-no question: only a first character Y or y is yes.
bool isYes(char answer);

class KeyboardDialogue {
 public:
  // `answer` is the last yes-or-no answer, kept from one job to the next.
  KeyboardDialogue(text::Console& console, char& answer) : console_(console), answer_(answer) {}

  // Runs the nine blocks in order and leaves the accepted values in `p`
  // (IHR rounded to a multiple of 12, NTI = IHR + 1, JX odd).
  void run(engine::SimulationParameters& p);

  // Reads a yes-or-no answer to `question` from the console and keeps it.
  bool askYesNo(const char* question);

 private:
  bool confirm();  // the change question: true when the value stays
  // One block: prompt lines, a value read in free format into the parameter
  // itself (`name` names it in a message), `accept` (default, range test, derivation; a refused value
  // repeats the block without a message), echo and change question.
  template <typename Value, typename Accept>
  void block(std::initializer_list<const char*> prompt, const text::ValueName& name, const char* echo, Value& value,
             Accept accept);
  void nnBlock(engine::SimulationParameters& p);
  void ihrBlock(engine::SimulationParameters& p);
  void minBlock(engine::SimulationParameters& p);
  void stddevBlock(engine::SimulationParameters& p);
  void ntrBlock(engine::SimulationParameters& p);
  bool icBlock(engine::SimulationParameters& p);
  void irepBlock(engine::SimulationParameters& p);
  void jxBlock(engine::SimulationParameters& p);
  void kswBlock(engine::SimulationParameters& p);

  text::Console& console_;
  char& answer_;
};

// The dialogue's number of sampling periods for an arribada of IHR hours
// (IHR as rounded): one at every hour from 0 to IHR.
constexpr std::int32_t keyboardNTI(std::int32_t IHR) { return IHR + 1; }

// The keyboard rule for the default JX: NN x NTI x NTR x IC x MIN (NTI as
// keyboardNTI gives it), truncated, made odd. Empty when the result leaves the generator's range
// 1 ... 2147483646 (the 32-bit products overflow from about NN 1000000,
// NTR 1000 on; the defaults with MIN 15 already pass 2147483647).
std::optional<std::int32_t> keyboardDefaultSeed(const engine::SimulationParameters& p);

// Why the default JX cannot be used for `p` (keyboardDefaultSeed is empty)
// and what range to type instead, for the error output.
std::string whyNoDefaultSeed(const engine::SimulationParameters& p);

// An even JX is increased by 1 (a negative even value too: -4 becomes -3).
std::int64_t madeOdd(std::int64_t JX);

// Whether JX is a valid state of the random generator: 1 ... 2147483646.
bool isValidSeed(std::int64_t JX);

}  // namespace arribada::entry
