#include "toolkit/raster/png_palette.h"

namespace hl::raster {
namespace {

size_t Hash(Color c) { return (c * 2654435761u) >> 23; }  // 9 bits: 0 .. 511

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
  // Drawings run in long stretches of one colour; most pixels repeat the last.
  Color last = 0;
  uint8_t last_index = 0;
  for (size_t pixel = 0; pixel < indices.size() && pixel * 3 + 2 < rgb.size(); ++pixel) {
    const Color c = Rgb(rgb[pixel * 3], rgb[pixel * 3 + 1], rgb[pixel * 3 + 2]);
    if (c != last || pixel == 0) {
      const std::optional<uint8_t> index = Find(c);
      if (!index) return false;
      last = c;
      last_index = *index;
    }
    indices[pixel] = last_index;
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
