#pragma once
// Runs the season's competitions side by side on the cores oneTBB grants.

#include <cstddef>
#include <functional>

namespace hl::season {

// Calls `run(i)` once for each i below `count`, in parallel. `run` must
// touch nothing another call touches; whatever it produces is kept by index
// so the caller reads it back in order.
void RunEach(size_t count, const std::function<void(size_t)>& run);

}  // namespace hl::season
