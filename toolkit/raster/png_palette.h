#pragma once
// A picture of few colours as palette indices: the form in which a drawing
// compresses fastest and smallest, since a pixel is one byte (or less)
// instead of three.

#include <cstdint>
#include <optional>
#include <vector>

#include "toolkit/raster/color.h"
#include "toolkit/raster/image.h"

namespace hl::raster {

struct IndexedPicture {
  std::vector<Color> palette;    // in the order the colours first appear
  std::vector<uint8_t> indices;  // one byte a pixel, rows top to bottom
  int bit_depth = 8;             // the fewest of 1, 2, 4, 8 bits that hold every index
};

// nullopt when the picture has more than 256 colours.
std::optional<IndexedPicture> IndexColours(const Image& image);

}  // namespace hl::raster
