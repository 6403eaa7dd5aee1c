#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "fuzz/targets/fuzz_app.h"
#include "fuzz/targets/fuzz_targets.h"
#include "toolkit/raster/image_files.h"
#include "toolkit/raster/resize.h"

namespace hl::fuzzing {

namespace {

struct FitSize {
  int width;
  int height;
};
// The screen view, the smallest possible and one wider than high.
constexpr std::array<FitSize, 3> kFitSizes{{{480, 360}, {1, 1}, {300, 20}}};

void RequireSound(const std::optional<raster::Image>& image) {
  if (!image) return;
  const int64_t width = image->Width(), height = image->Height();
  Require(width >= 1 && height >= 1 && width <= raster::Image::kMaxSide &&
              height <= raster::Image::kMaxSide,
          "a decoded picture has sides of 1 to 32767 pixels");
  Require(width * height <= raster::kMaxPicturePixels, "a decoded picture is not oversized");
  Require(static_cast<int64_t>(image->Pixels().size()) == 3 * width * height,
          "a decoded picture holds three bytes a pixel");
}

}  // namespace

void FuzzBmp(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const auto image = raster::DecodeBmp(bytes);
  RequireSound(image);
  // The screen view shows every picture scaled to its size.
  if (image) RequireSound(raster::ResizeSmooth(*image, 480, 360));
}

void FuzzJpeg(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const auto full = raster::DecodeJpeg(bytes);
  RequireSound(full);
  for (const FitSize fit : kFitSizes) {
    const auto reduced = raster::DecodeJpeg(bytes, fit.width, fit.height);
    RequireSound(reduced);
    if (!full || !reduced) continue;
    // A reduced scale must still cover the requested size, or the full one.
    Require(reduced->Width() >= std::min(fit.width, full->Width()) &&
                reduced->Height() >= std::min(fit.height, full->Height()),
            "a JPEG decoded for a fit size covers it");
    Require(reduced->Width() <= full->Width() && reduced->Height() <= full->Height(),
            "a JPEG decoded for a fit size is not larger than at full size");
  }
}

}  // namespace hl::fuzzing
