#pragma once
#include "toolkit/raster/image.h"

namespace hl::raster {

// Smooth scaling: every target pixel is the area average of the source
// pixels it covers. The same size returns an unchanged copy.
Image ResizeSmooth(const Image& source, int width, int height);

}  // namespace hl::raster
