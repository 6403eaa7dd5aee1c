#include "toolkit/raster/image.h"

#include <cstddef>
#include <new>

namespace hl::raster {

Image::Image(int width, int height)
    : width_(width),
      height_(height),
      rgb_(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0) {}

std::optional<Image> Image::Create(int width, int height) {
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return std::nullopt;
  try {
    return Image(width, height);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

Color Image::At(int x, int y) const {
  const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3;
  return Rgb(rgb_[i], rgb_[i + 1], rgb_[i + 2]);
}

void Image::Set(int x, int y, Color c) {
  const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3;
  rgb_[i] = static_cast<uint8_t>(RedOf(c));
  rgb_[i + 1] = static_cast<uint8_t>(GreenOf(c));
  rgb_[i + 2] = static_cast<uint8_t>(BlueOf(c));
}

}  // namespace hl::raster
