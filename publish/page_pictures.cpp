#include "publish/page_pictures.h"

#include <algorithm>

#include "toolkit/files/byte_view.h"
#include "toolkit/raster/image_files.h"

namespace hl::publish {
namespace {

// Measured on the benchmark's textured screens at 480 x 360: quality 80
// takes 34 KB a screen on average (70: 26 KB, 90: 50 KB), so the 98-entry
// benchmark's page stays well below 6 MB with the lettering of the game's
// display still sharp.
constexpr int kScreenQuality = 80;

constexpr uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr int64_t kWidthOffset = 16;  // IHDR's width, then its height, big-endian
constexpr int64_t kHeightOffset = 20;

std::optional<int> BigEndian32(const files::ByteView& view, int64_t at) {
  const auto bytes = view.Slice(at, 4);
  if (!bytes) return std::nullopt;
  const uint32_t value = (uint32_t{(*bytes)[0]} << 24) | (uint32_t{(*bytes)[1]} << 16) |
                         (uint32_t{(*bytes)[2]} << 8) | uint32_t{(*bytes)[3]};
  if (value == 0 || value > raster::Image::kMaxSide) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

std::optional<std::vector<uint8_t>> EncodeScreenPicture(const raster::Image& picture) {
  return raster::EncodeJpeg(picture, kScreenQuality);
}

std::optional<PictureSize> PngSize(std::span<const uint8_t> png) {
  const files::ByteView view(png);
  const auto signature = view.Slice(0, sizeof kPngSignature);
  if (!signature || !std::equal(signature->begin(), signature->end(), kPngSignature))
    return std::nullopt;
  const auto width = BigEndian32(view, kWidthOffset);
  const auto height = BigEndian32(view, kHeightOffset);
  if (!width || !height) return std::nullopt;
  return PictureSize{*width, *height};
}

}  // namespace hl::publish
