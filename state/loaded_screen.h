#pragma once
// An entry's screen picture as its step uses it, and the hook through which
// the batch front end hands over screens it loaded ahead on another core.

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

}  // namespace hl::state
