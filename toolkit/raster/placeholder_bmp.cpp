// The picture shown where an entry lacks its track or screen file: a red
// "no entry" disc with a white bar on grey, as a complete 24-bit BMP file.

#include <array>
#include <cstddef>
#include <cstdint>

#include "toolkit/raster/color.h"
#include "toolkit/raster/image_files.h"

namespace hl::raster {
namespace {

constexpr int kSide = 32;
constexpr size_t kHeaderSize = 54;
constexpr size_t kRowSize = kSide * 3;  // 96, already a multiple of 4
constexpr size_t kFileSize = kHeaderSize + kRowSize * kSide;
static_assert(kFileSize == 3126);

constexpr Color kGrey = Rgb(192, 192, 192);
constexpr Color kRed = Rgb(200, 0, 0);
constexpr Color kWhite = Rgb(255, 255, 255);

constexpr Color EmblemAt(int x, int y) {
  // Doubled coordinates put the centre on the pixel grid's middle (15.5).
  const int dx = 2 * x + 1 - kSide;
  const int dy = 2 * y + 1 - kSide;
  const bool in_disc = dx * dx + dy * dy <= 26 * 26;
  const bool in_bar = x >= 8 && x <= 23 && y >= 13 && y <= 18;
  if (!in_disc) return kGrey;
  return in_bar ? kWhite : kRed;
}

constexpr void PutLe(std::array<uint8_t, kFileSize>& bytes, size_t at, uint32_t value, int count) {
  for (int i = 0; i < count; ++i)
    bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

constexpr std::array<uint8_t, kFileSize> BuildPlaceholder() {
  std::array<uint8_t, kFileSize> bytes{};
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutLe(bytes, 2, kFileSize, 4);
  PutLe(bytes, 10, kHeaderSize, 4);
  PutLe(bytes, 14, 40, 4);  // info header size
  PutLe(bytes, 18, kSide, 4);
  PutLe(bytes, 22, kSide, 4);  // positive: rows stored bottom-up
  PutLe(bytes, 26, 1, 2);      // planes
  PutLe(bytes, 28, 24, 2);     // bits per pixel
  PutLe(bytes, 34, kRowSize * kSide, 4);
  PutLe(bytes, 38, 2835, 4);  // 72 dpi in pixels per metre
  PutLe(bytes, 42, 2835, 4);
  for (int row = 0; row < kSide; ++row) {
    const int y = kSide - 1 - row;
    for (int x = 0; x < kSide; ++x) {
      const Color c = EmblemAt(x, y);
      const size_t at =
          kHeaderSize + static_cast<size_t>(row) * kRowSize + static_cast<size_t>(x) * 3;
      bytes[at] = static_cast<uint8_t>(BlueOf(c));
      bytes[at + 1] = static_cast<uint8_t>(GreenOf(c));
      bytes[at + 2] = static_cast<uint8_t>(RedOf(c));
    }
  }
  return bytes;
}

constexpr std::array<uint8_t, kFileSize> kPlaceholder = BuildPlaceholder();

}  // namespace

std::span<const uint8_t> PlaceholderBmp() { return kPlaceholder; }

}  // namespace hl::raster
