#include "engine/hot_loops.hpp"  // first: see there
#include "engine/random.hpp"

#include <string>

#include "engine/real.hpp"
#include "text/errors.hpp"

namespace arribada::engine {
namespace {

constexpr std::int32_t A = kRandomMultiplier;
constexpr std::int32_t B15 = 32768;
constexpr std::int32_t B16 = 65536;
constexpr std::int32_t P = kRandomModulus;
constexpr double kTwoToMinus31 = 4.656612873077392578125e-10;  // exactly 2^-31
constexpr float kDegenerateResult = 1.0E-12f;

}  // namespace

float RANDOM(std::int32_t& IX, text::RecordSink& report) {
  if (IX < 0) {
    throw text::RunTimeError("random generator: the state " + std::to_string(IX) +
                             " is negative and cannot be advanced");
  }
  // Schrage's steps, in this grouping: for 0 <= IX <= P no intermediate
  // leaves the 32-bit range (the early subtraction of P sees to the last one).
  const std::int32_t XHI = IX / B16;
  const std::int32_t XALO = (IX - XHI * B16) * A;
  const std::int32_t LEFTLO = XALO / B16;
  const std::int32_t FHI = XHI * A + LEFTLO;
  const std::int32_t K = FHI / B15;
  IX = (((XALO - LEFTLO * B16) - P) + (FHI - K * B15) * B16) + K;
  if (IX < 0) IX += P;
  // The product is exact in double; the one rounding is the store to float.
  const float result = stored(static_cast<double>(IX) * kTwoToMinus31);
  if (result < kDegenerateResult) report.write({std::string("RANDOM,IX="), result, IX});
  return result;
}

}  // namespace arribada::engine
