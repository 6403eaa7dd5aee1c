#include "toolkit/raster/png_palette.h"

#include <array>

namespace hl::raster {
namespace {

constexpr size_t kMostColours = 256;

// Colours to palette indices, open addressing in a table twice the size of
// the largest palette: a drawing changes colour every few pixels, and a
// lookup here costs a multiply and a compare or two.
class ColourIndex {
 public:
  // The colour's index, adding it to `palette`; nullopt past kMostColours.
  std::optional<uint8_t> Find(Color c, std::vector<Color>& palette) {
    for (size_t slot = Hash(c);; slot = (slot + 1) % kSlots) {
      if (!used_[slot]) {
        if (palette.size() == kMostColours) return std::nullopt;
        used_[slot] = true;
        keys_[slot] = c;
        values_[slot] = static_cast<uint8_t>(palette.size());
        palette.push_back(c);
        return values_[slot];
      }
      if (keys_[slot] == c) return values_[slot];
    }
  }

 private:
  static constexpr size_t kSlots = 2 * kMostColours;
  static size_t Hash(Color c) { return (c * 2654435761u) >> 23; }  // 9 bits: 0 .. 511

  std::array<Color, kSlots> keys_{};
  std::array<uint8_t, kSlots> values_{};
  std::array<bool, kSlots> used_{};
};

int BitDepthFor(size_t colours) {
  if (colours <= 2) return 1;
  if (colours <= 4) return 2;
  if (colours <= 16) return 4;
  return 8;
}

}  // namespace

std::optional<IndexedPicture> IndexColours(const Image& image) {
  const std::span<const uint8_t> rgb = image.Pixels();
  IndexedPicture picture;
  picture.indices.resize(rgb.size() / 3);
  ColourIndex index_of;
  // Drawings run in long stretches of one colour; most pixels repeat the last.
  Color last = 0;
  uint8_t last_index = 0;
  for (size_t pixel = 0; pixel < picture.indices.size(); ++pixel) {
    const Color c = Rgb(rgb[pixel * 3], rgb[pixel * 3 + 1], rgb[pixel * 3 + 2]);
    if (c != last || pixel == 0) {
      const std::optional<uint8_t> index = index_of.Find(c, picture.palette);
      if (!index) return std::nullopt;
      last = c;
      last_index = *index;
    }
    picture.indices[pixel] = last_index;
  }
  picture.bit_depth = BitDepthFor(picture.palette.size());
  return picture;
}

}  // namespace hl::raster
