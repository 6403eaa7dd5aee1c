#pragma once
#include <optional>

#include "toolkit/raster/image.h"

namespace hl::raster {

// Smooth scaling: every target pixel is the area average of the source
// pixels it covers. The same size returns an unchanged copy. nullopt for
// sides outside 1 .. Image::kMaxSide or when the memory for the result
// cannot be had.
std::optional<Image> ResizeSmooth(const Image& source, int width, int height);

}  // namespace hl::raster
