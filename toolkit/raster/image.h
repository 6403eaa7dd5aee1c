#pragma once
// An RGB raster, 8 bits a channel, rows top to bottom.

#include <cstdint>
#include <optional>
#include <vector>

#include "toolkit/raster/color.h"

namespace hl::raster {

class Image {
 public:
  static constexpr int kMaxSide = 32767;

  // A black image, or nullopt for sides below 1 or above kMaxSide.
  static std::optional<Image> Create(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // Unchecked access for callers that clipped already.
  Color At(int x, int y) const;
  void Set(int x, int y, Color c);

  // Three bytes per pixel (R, G, B), rows top to bottom, no padding.
  const std::vector<uint8_t>& Pixels() const { return rgb_; }
  std::vector<uint8_t>& Pixels() { return rgb_; }

 private:
  Image(int width, int height);
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> rgb_;
};

}  // namespace hl::raster
