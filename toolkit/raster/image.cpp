#include "toolkit/raster/image.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
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

void FillPixels(std::span<uint8_t> bytes, Color c) {
  const auto red = static_cast<uint8_t>(RedOf(c));
  const auto green = static_cast<uint8_t>(GreenOf(c));
  const auto blue = static_cast<uint8_t>(BlueOf(c));
  if (red == green && green == blue) {
    std::fill(bytes.begin(), bytes.end(), red);
    return;
  }
  // Eight pixels are 24 bytes: three 64-bit words, each a different
  // rotation of the pixel's three bytes (stored lowest byte first).
  const uint64_t pixel = c;
  const std::array<uint64_t, 3> words = {pixel | pixel << 24 | pixel << 48,
                                         pixel >> 16 | pixel << 8 | pixel << 32 | pixel << 56,
                                         pixel >> 8 | pixel << 16 | pixel << 40};
  constexpr size_t kWordBytes = sizeof(uint64_t);
  size_t at = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; at + 3 * kWordBytes <= bytes.size(); at += 3 * kWordBytes) {
      for (size_t w = 0; w < 3; ++w) {
        std::memcpy(bytes.subspan(at + w * kWordBytes, kWordBytes).data(), &words[w], kWordBytes);
      }
    }
  }
  for (; at + 2 < bytes.size(); at += 3) {
    bytes[at] = red;
    bytes[at + 1] = green;
    bytes[at + 2] = blue;
  }
}

}  // namespace hl::raster
