#pragma once
// An entry's screen picture as its step uses it, and the hooks through which
// the batch front end loads screens on another core: ahead of the step that
// shows them, or, where only the verdict is needed, after it.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "toolkit/raster/image.h"

namespace hl::state {

struct LoadedScreen {
  bool decodes = false;
  // Scaled to the screen view; empty when only the verdict was asked for.
  std::optional<raster::Image> picture;
};

// The screen at `path` exactly as the step would load it itself.
using ScreenSource = std::function<LoadedScreen(const std::string& path)>;

// Takes over the check whether the screen at `path` decodes, for the entry
// at `entry` of the record; the verdict is in the record before the run's
// outputs read it.
using ScreenCheck = std::function<void(size_t entry, const std::string& path)>;

}  // namespace hl::state
