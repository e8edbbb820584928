// The block-generated stream against RANDOM: the same states and draws,
// jumps ahead, and moves back to a place it has passed.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "engine/fast/block_stream.hpp"
#include "engine/fast/instruction_sets.hpp"
#include "engine/fast/placement_kernels.hpp"
#include "engine/random.hpp"

namespace arribada::engine {
namespace {

constexpr std::int64_t kP = 2147483647;

// Every instruction set's fill, each written apart.
TEST(BlockStream, GivesTheStatesAndDrawsOfRandom) {
  for (InstructionSet set : runnableInstructionSets())
    for (std::int32_t seed : {1, 2, 762500001, 2147483646, 16807 * 3}) {
      SCOPED_TRACE(nameOf(set));
      text::RecordingSink report;
      std::int32_t IX = seed;
      BlockStream stream(seed, kernelsFor(set)->fill);
      // Several blocks, and a stop in the middle of one.
      for (int i = 0; i < 3 * BlockStream::kBlock + 77; ++i) {
        const float expected = RANDOM(IX, report);
        ASSERT_EQ(std::bit_cast<std::uint32_t>(stream.next()), std::bit_cast<std::uint32_t>(expected)) << i;
        ASSERT_EQ(stream.state(), IX) << i;
      }
      EXPECT_EQ(stream.used(), 3u * BlockStream::kBlock + 77u);
    }
}

TEST(BlockStream, TenThousandthStateFromSeedOne) {
  BlockStream stream(1);
  for (int i = 0; i < 10000; ++i) stream.next();
  EXPECT_EQ(stream.state(), 1043618065);
}

TEST(BlockStream, JumpsAheadToTheStateStepsLater) {
  std::int64_t x = 762500001;
  for (std::uint64_t n = 1; n <= 5000; ++n) {
    x = x * 16807 % kP;
    if (n % 997 == 0 || n < 10) {
      ASSERT_EQ(stateAfter(762500001, n), x) << n;
    }
  }
  // 16807^(P - 1) = 1 mod P, so a whole period comes back to the start.
  EXPECT_EQ(stateAfter(123, static_cast<std::uint64_t>(kP - 1)), 123);
  EXPECT_EQ(mulModP(kP - 1, kP - 1), 1u);  // (-1)^2
}

TEST(BlockStream, MovesBackAndOnToAPlaceItHasPassed) {
  BlockStream stream(762500001);
  std::vector<float> draws;
  std::vector<std::int32_t> states;  // the state before each draw
  for (int i = 0; i < 3 * BlockStream::kBlock; ++i) {
    states.push_back(stream.state());
    draws.push_back(stream.next());
  }
  // Within the last block, to the start of a block, and back into an earlier
  // block.
  for (int place : {3 * BlockStream::kBlock - 5, 2 * BlockStream::kBlock, 2 * BlockStream::kBlock - 1, 7, 0}) {
    stream.moveTo(static_cast<std::uint64_t>(place), states[static_cast<std::size_t>(place)]);
    ASSERT_EQ(stream.used(), static_cast<std::uint64_t>(place));
    ASSERT_EQ(stream.state(), states[static_cast<std::size_t>(place)]) << place;
    for (int i = place; i < place + 40 && i < 3 * BlockStream::kBlock; ++i) {
      ASSERT_EQ(std::bit_cast<std::uint32_t>(stream.next()),
                std::bit_cast<std::uint32_t>(draws[static_cast<std::size_t>(i)]))
          << "from " << place << ", draw " << i;
    }
  }
}

}  // namespace
}  // namespace arribada::engine
