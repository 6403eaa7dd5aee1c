#pragma once
// A picture of few colours as palette indices: the form in which a drawing
// compresses fastest and smallest, since a pixel is one byte (or less)
// instead of three.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "toolkit/raster/color.h"
#include "toolkit/raster/image.h"

namespace hl::raster {

// Colours to palette indices in the order the colours first appear, open
// addressing in a table twice the size of the largest palette: a drawing
// changes colour every few pixels, and a lookup here costs a multiply and
// a compare or two.
class Palette {
 public:
  static constexpr size_t kMostColours = 256;

  // The index of each RGB pixel of `rgb` into `indices` (one a pixel),
  // adding new colours; false once there would be more than kMostColours.
  bool Index(std::span<const uint8_t> rgb, std::span<uint8_t> indices);
  const std::vector<Color>& Colours() const { return colours_; }
  // The fewest of 1, 2, 4, 8 bits that hold every index.
  int BitDepth() const;

 private:
  std::optional<uint8_t> Find(Color c);

  static constexpr size_t kSlots = 2 * kMostColours;
  std::vector<Color> colours_;
  std::array<Color, kSlots> keys_{};
  std::array<uint8_t, kSlots> values_{};
  std::array<bool, kSlots> used_{};
};

struct IndexedPicture {
  std::vector<Color> palette;    // in the order the colours first appear
  std::vector<uint8_t> indices;  // one byte a pixel, rows top to bottom
  int bit_depth = 8;             // the fewest of 1, 2, 4, 8 bits that hold every index
};

// nullopt when the picture has more than 256 colours.
std::optional<IndexedPicture> IndexColours(const Image& image);

}  // namespace hl::raster
