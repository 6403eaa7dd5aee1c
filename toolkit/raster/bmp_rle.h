#pragma once
// The run-length encoded pixel data of 4- and 8-bit BMPs, which common tools
// write for pictures of 16 and 256 colours.

#include <cstdint>
#include <span>

#include "toolkit/raster/color.h"
#include "toolkit/raster/image.h"

namespace hl::raster {

// Paints the pixels that `data` describes into `image`, rows in file order
// from the bottom unless top_down, each index through `palette` (black
// beyond it). Decoding ends at the end-of-bitmap escape, at the end of the
// data, or at the first pixel or delta that would leave the picture; pixels
// it does not reach keep their colour.
void DecodeRlePixels(std::span<const uint8_t> data, int bits, bool top_down,
                     std::span<const Color> palette, Image& image);

}  // namespace hl::raster
