#pragma once
// Helpers that turn drawn images into comparable pixel sets.

#include <cstddef>
#include <set>
#include <utility>

#include "toolkit/raster/image.h"

namespace hl::raster::testing {

inline constexpr Color kBlack = Rgb(0, 0, 0);
inline constexpr Color kWhite = Rgb(255, 255, 255);
inline constexpr Color kRed = Rgb(255, 0, 0);
inline constexpr Color kBlue = Rgb(0, 0, 255);
inline constexpr Color kYellow = Rgb(255, 255, 0);

using PixelSet = std::set<std::pair<int, int>>;

inline PixelSet PixelsOfColor(const Image& image, Color color) {
  PixelSet pixels;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      if (image.At(x, y) == color) pixels.emplace(x, y);
    }
  }
  return pixels;
}

inline size_t CountOfColor(const Image& image, Color color) {
  size_t count = 0;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) count += image.At(x, y) == color ? 1 : 0;
  }
  return count;
}

inline Image BlankImage(int width, int height, Color color = Rgb(0, 0, 0)) {
  Image image = *Image::Create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.Set(x, y, color);
  }
  return image;
}

}  // namespace hl::raster::testing
