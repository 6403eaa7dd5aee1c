#include "toolkit/raster/png_palette.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace hl::raster {
namespace {

size_t Hash(Color c) { return (c * 2654435761u) >> 23; }  // 9 bits: 0 .. 511

static_assert(std::endian::native == std::endian::little);

// The pixel after the run of one colour that starts at `pixel`. A pixel
// repeats the one before when each of its bytes equals the byte three
// before it, so the bytes are compared eight at a time.
size_t RunEnd(std::span<const uint8_t> rgb, size_t pixel) {
  size_t at = pixel * 3 + 3;
  for (; at + 8 <= rgb.size(); at += 8) {
    uint64_t here = 0;
    uint64_t before = 0;
    std::memcpy(&here, rgb.data() + at, 8);
    std::memcpy(&before, rgb.data() + at - 3, 8);
    if (here != before) {
      // The lowest differing byte is the first on a little-endian machine.
      return (at + static_cast<size_t>(std::countr_zero(here ^ before)) / 8) / 3;
    }
  }
  while (at < rgb.size() && rgb[at] == rgb[at - 3]) ++at;
  return at / 3;
}

}  // namespace

std::optional<uint8_t> Palette::Find(Color c) {
  for (size_t slot = Hash(c);; slot = (slot + 1) % kSlots) {
    if (!used_[slot]) {
      if (colours_.size() == kMostColours) return std::nullopt;
      used_[slot] = true;
      keys_[slot] = c;
      values_[slot] = static_cast<uint8_t>(colours_.size());
      colours_.push_back(c);
      return values_[slot];
    }
    if (keys_[slot] == c) return values_[slot];
  }
}

bool Palette::Index(std::span<const uint8_t> rgb, std::span<uint8_t> indices) {
  const size_t pixels = std::min(indices.size(), rgb.size() / 3);
  // Drawings run in long stretches of one colour: each run is looked up once.
  for (size_t pixel = 0; pixel < pixels;) {
    const size_t at = pixel * 3;
    const std::optional<uint8_t> index = Find(Rgb(rgb[at], rgb[at + 1], rgb[at + 2]));
    if (!index) return false;
    const size_t end = RunEnd(rgb.first(pixels * 3), pixel);
    std::fill(indices.begin() + static_cast<ptrdiff_t>(pixel),
              indices.begin() + static_cast<ptrdiff_t>(end), *index);
    pixel = end;
  }
  return true;
}

int Palette::BitDepth() const {
  if (colours_.size() <= 2) return 1;
  if (colours_.size() <= 4) return 2;
  if (colours_.size() <= 16) return 4;
  return 8;
}

std::optional<IndexedPicture> IndexColours(const Image& image) {
  const std::span<const uint8_t> rgb = image.Pixels();
  IndexedPicture picture;
  picture.indices.resize(rgb.size() / 3);
  Palette palette;
  if (!palette.Index(rgb, picture.indices)) return std::nullopt;
  picture.palette = palette.Colours();
  picture.bit_depth = palette.BitDepth();
  return picture;
}

}  // namespace hl::raster
