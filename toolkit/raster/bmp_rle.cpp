#include "toolkit/raster/bmp_rle.h"

#include <algorithm>
#include <cstddef>

namespace hl::raster {
namespace {

constexpr uint8_t kEndOfLine = 0;
constexpr uint8_t kEndOfBitmap = 1;
constexpr uint8_t kDelta = 2;

// The position the next pixel goes to, kept inside the picture: every
// method answers false once the data tries to leave it.
class RlePainter {
 public:
  RlePainter(Image& image, std::span<const Color> palette, int bits, bool top_down)
      : image_(image), palette_(palette), bits_(bits), top_down_(top_down) {}

  // Pixel i of a run repeats `value`; 4-bit runs alternate its two halves.
  bool Run(int count, uint8_t value) {
    for (int i = 0; i < count; ++i) {
      if (!Put(bits_ == 8 ? value : Nibble(value, i))) return false;
    }
    return true;
  }

  // `count` indices stored one a byte (8 bits) or two a byte (4 bits);
  // `bytes` may fall short when the file is cut off.
  bool Literal(std::span<const uint8_t> bytes, int count) {
    for (int i = 0; i < count; ++i) {
      const size_t at = bits_ == 8 ? static_cast<size_t>(i) : static_cast<size_t>(i / 2);
      if (at >= bytes.size()) return false;
      if (!Put(bits_ == 8 ? bytes[at] : Nibble(bytes[at], i))) return false;
    }
    return true;
  }

  void NextLine() {
    x_ = 0;
    ++row_;
  }

  bool Move(int dx, int dy) {
    x_ += dx;
    row_ += dy;
    return x_ <= image_.Width() && row_ < image_.Height();
  }

 private:
  static unsigned Nibble(uint8_t byte, int i) { return i % 2 == 0 ? byte >> 4 : byte & 15u; }

  bool Put(unsigned index) {
    if (x_ >= image_.Width() || row_ >= image_.Height()) return false;
    const int y = top_down_ ? row_ : image_.Height() - 1 - row_;
    image_.Set(x_++, y, index < palette_.size() ? palette_[index] : Rgb(0, 0, 0));
    return true;
  }

  Image& image_;
  std::span<const Color> palette_;
  int bits_;
  bool top_down_;
  int x_ = 0;
  int row_ = 0;  // counted in file order
};

// Bytes an absolute run of `count` pixels occupies, padded to 16 bits.
size_t LiteralBytes(int bits, int count) {
  const size_t bytes = bits == 8 ? static_cast<size_t>(count) : static_cast<size_t>(count + 1) / 2;
  return (bytes + 1) / 2 * 2;
}

}  // namespace

void DecodeRlePixels(std::span<const uint8_t> data, int bits, bool top_down,
                     std::span<const Color> palette, Image& image) {
  RlePainter painter(image, palette, bits, top_down);
  size_t at = 0;
  while (data.size() - at >= 2) {
    const uint8_t count = data[at];
    const uint8_t code = data[at + 1];
    at += 2;
    if (count > 0) {
      if (!painter.Run(count, code)) return;
      continue;
    }
    if (code == kEndOfBitmap) return;
    if (code == kEndOfLine) {
      painter.NextLine();
    } else if (code == kDelta) {
      if (data.size() - at < 2 || !painter.Move(data[at], data[at + 1])) return;
      at += 2;
    } else {
      const size_t length = LiteralBytes(bits, code);
      if (!painter.Literal(data.subspan(at, std::min(length, data.size() - at)), code)) return;
      if (data.size() - at < length) return;
      at += length;
    }
  }
}

}  // namespace hl::raster
