#include "engine/hot_loops.hpp"  // first: see there
#include "engine/fast/block_stream.hpp"

namespace arribada::engine {

BlockStream::BlockStream(std::int32_t state, FillBlock fill) : fill_(fill), last_(static_cast<std::uint32_t>(state)) {
  this->fill();
}

}  // namespace arribada::engine
