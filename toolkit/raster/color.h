#pragma once
#include <cstdint>

namespace hl::raster {

// red + 256 * green + 65536 * blue, top byte 0.
using Color = uint32_t;

constexpr Color Rgb(int red, int green, int blue) {
  return static_cast<Color>((red & 255) | ((green & 255) << 8) | ((blue & 255) << 16));
}
constexpr int RedOf(Color c) { return static_cast<int>(c & 255); }
constexpr int GreenOf(Color c) { return static_cast<int>((c >> 8) & 255); }
constexpr int BlueOf(Color c) { return static_cast<int>((c >> 16) & 255); }

}  // namespace hl::raster
