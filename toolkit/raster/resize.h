#pragma once
#include <optional>

#include "toolkit/raster/image.h"

namespace hl::raster {

// Smooth scaling: every target pixel is the area average of the source
// pixels it covers. The same size returns an unchanged copy. Sides outside
// 1 .. Image::kMaxSide are clamped into that range; running out of memory
// throws std::bad_alloc as any allocation does.
Image ResizeSmooth(const Image& source, int width, int height);

// As ResizeSmooth, but nullopt for sides outside 1 .. Image::kMaxSide or when
// the memory for the result cannot be had.
std::optional<Image> TryResizeSmooth(const Image& source, int width, int height);

}  // namespace hl::raster
