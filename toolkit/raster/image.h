#pragma once
// An RGB raster, 8 bits a channel, rows top to bottom.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "toolkit/raster/color.h"

namespace hl::raster {

// Paints every pixel of `bytes` (three bytes a pixel) with c.
void FillPixels(std::span<uint8_t> bytes, Color c);

class Image {
 public:
  static constexpr int kMaxSide = 32767;

  // A black image, or nullopt for sides below 1 or above kMaxSide.
  static std::optional<Image> Create(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // Unchecked access for callers that clipped already. Inline: drawing
  // calls them once a pixel.
  Color At(int x, int y) const {
    const size_t i = Offset(x, y);
    return Rgb(rgb_[i], rgb_[i + 1], rgb_[i + 2]);
  }
  void Set(int x, int y, Color c) {
    const size_t i = Offset(x, y);
    rgb_[i] = static_cast<uint8_t>(RedOf(c));
    rgb_[i + 1] = static_cast<uint8_t>(GreenOf(c));
    rgb_[i + 2] = static_cast<uint8_t>(BlueOf(c));
  }

  // The bytes of row y (0 .. Height() - 1), three per pixel.
  std::span<const uint8_t> Row(int y) const {
    return std::span(rgb_).subspan(Offset(0, y), RowBytes());
  }
  std::span<uint8_t> Row(int y) { return std::span(rgb_).subspan(Offset(0, y), RowBytes()); }

  // Paints pixels x .. x + count - 1 of row y; unchecked like Set.
  void FillRun(int x, int y, int count, Color c) {
    FillPixels(std::span(rgb_).subspan(Offset(x, y), static_cast<size_t>(count) * 3), c);
  }

  // Three bytes per pixel (R, G, B), rows top to bottom, no padding.
  const std::vector<uint8_t>& Pixels() const { return rgb_; }
  std::vector<uint8_t>& Pixels() { return rgb_; }

 private:
  Image(int width, int height);
  size_t RowBytes() const { return static_cast<size_t>(width_) * 3; }
  size_t Offset(int x, int y) const {
    return (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3;
  }

  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> rgb_;
};

}  // namespace hl::raster
