// Fuzz target: the free-format reader with a mix of integer, real, text and
// bounded-integer variables, read statement after read statement until the
// input is used up or a read fails with its run-time error.
//
// The first byte gives the number of variables of each read (1 to 16), the
// next bytes their kinds; the rest is the input text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.hpp"
#include "text/errors.hpp"
#include "text/freeread.hpp"

namespace {

using namespace arribada;

constexpr std::size_t kMostVariables = 16;
constexpr int kMostReads = 64;

// The variables of one read and the storage behind them.
struct Variables {
  std::vector<text::ReadTarget> targets;
  std::vector<std::int32_t> integers;
  std::vector<float> reals;
  std::vector<std::string> texts;
  std::vector<std::size_t> textLengths;
  std::vector<std::int32_t> bounded;
  std::vector<std::pair<std::int32_t, std::int32_t>> bounds;
};

Variables makeVariables(const std::uint8_t* kinds, std::size_t count) {
  Variables v;
  // Reserved first, so that the pointers in the targets stay valid.
  v.integers.reserve(count);
  v.reals.reserve(count);
  v.texts.reserve(count);
  v.bounded.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t kind = kinds[i];
    switch (kind % 4) {
      case 0:
        v.targets.emplace_back(&v.integers.emplace_back(kind));
        break;
      case 1:
        v.targets.emplace_back(&v.reals.emplace_back(static_cast<float>(kind)));
        break;
      case 2: {
        const std::size_t length = kind / 4;  // 0 to 63 characters
        v.textLengths.push_back(length);
        v.targets.emplace_back(text::TextTarget{&v.texts.emplace_back(length, ' '), length});
        break;
      }
      default: {
        const std::int32_t limit = kind < 128 ? 32767 : 5;
        v.bounds.emplace_back(-limit, limit);
        v.targets.emplace_back(text::BoundedIntegerTarget{&v.bounded.emplace_back(0), -limit, limit});
        break;
      }
    }
  }
  return v;
}

void checkVariables(const Variables& v, const text::ReadOutcome& outcome) {
  fuzz::require(outcome.processed <= v.targets.size(), "more variables processed than given");
  for (std::size_t i = 0; i < v.texts.size(); ++i) {
    fuzz::require(v.texts[i].size() == v.textLengths[i], "a text variable changed its length");
  }
  for (std::size_t i = 0; i < v.bounded.size(); ++i) {
    fuzz::require(v.bounded[i] >= v.bounds[i].first && v.bounded[i] <= v.bounds[i].second,
                  "a bounded integer outside its bounds");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t count = 1 + data[0] % kMostVariables;
  if (size < 1 + count) return 0;
  const std::uint8_t* kinds = data + 1;
  // The last kind byte also chooses what the end of input means.
  const auto atEnd = (kinds[count - 1] & 0x80) != 0 ? text::AtEndOfInput::EndRead : text::AtEndOfInput::Fail;
  fuzz::FuzzFile file(data + 1 + count, size - 1 - count, "fuzz.txt");
  // Named as every reader of a file names its values: the name carries the file.
  const text::ValueNamer names = text::namedAll("a value in " + file.source.description());
  try {
    for (int read = 0; read < kMostReads; ++read) {
      Variables v = makeVariables(kinds, count);
      const int lineBefore = file.source.lineNumber();
      const text::ReadOutcome outcome = text::readFreeFormat(file.source, v.targets, atEnd, names);
      checkVariables(v, outcome);
      if (outcome.endedByEndOfInput) break;
      // Every read starts on a new line, so each one uses up at least one.
      fuzz::require(file.source.lineNumber() > lineBefore, "a read that used no line");
    }
    // The other reads of a line, on whatever is left.
    (void)text::readCharacter(file.source);
    fuzz::require(text::readFixedLine(file.source, 80).size() == 80, "a fixed line of the wrong width");
  } catch (const text::RunTimeError& error) {
    fuzz::require(std::string(error.what()).find("fuzz.txt") != std::string::npos, "a message without the file");
  }
  return 0;
}
