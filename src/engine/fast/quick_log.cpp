#include "engine/hot_loops.hpp"  // first: see there
#include "engine/fast/quick_log.hpp"

#include <bit>
#include <cmath>

#include "engine/real.hpp"

namespace arribada::engine {
namespace {

QuickLogTable makeTable() {
  QuickLogTable t;
  for (std::uint32_t i = 0; i < QuickLogTable::kSize; ++i) {
    const constexpr std::uint32_t kWidth = 1u << (23 - QuickLogTable::kBits);
    const double low = std::bit_cast<float>(QuickLogTable::kOffset + i * kWidth);
    const double high = std::bit_cast<float>(QuickLogTable::kOffset + (i + 1) * kWidth);
    // A float inverse: z * invc then has at most 48 significant bits, exact in double.
    double invc = stored(2.0 / (low + high));
    if (low <= 1.0 && 1.0 < high) invc = 1.0;
    t.invc[i] = invc;
    t.logc[i] = invc == 1.0 ? 0.0 : -std::log(invc);
  }
  return t;
}

}  // namespace

const QuickLogTable& quickLogTable() {
  static const QuickLogTable table = makeTable();
  return table;
}

}  // namespace arribada::engine
