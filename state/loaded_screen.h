#pragma once
// An entry's screen picture as its step uses it, and the hook through which
// the batch front end, whose steps show no screen, checks the screens on
// other cores.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "toolkit/raster/image.h"

namespace hl::state {

struct LoadedScreen {
  bool decodes = false;
  // Scaled to the screen view; empty when only the verdict was asked for.
  std::optional<raster::Image> picture{};
};

// Takes over the check whether the screen at `path` decodes, for the entry
// at `entry` of the record; the verdict is in the record before the run's
// outputs read it.
using ScreenCheck = std::function<void(size_t entry, const std::string& path)>;

}  // namespace hl::state
