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
  Require(raster::BmpDecodes(bytes) == image.has_value(),
          "a BMP is said to decode exactly when it decodes");
  // The screen view shows every picture scaled to its size.
  if (image) RequireSound(raster::ResizeSmooth(*image, 480, 360));
}

void FuzzJpeg(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const auto full = raster::DecodeJpeg(bytes);
  RequireSound(full);
  // The screen checks of a batch run rely on this.
  Require(raster::DecodeJpeg(bytes, 1, 1).has_value() == full.has_value(),
          "a JPEG decodes at its smallest scale exactly when it decodes at full size");
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

// A PNG is read only where the export folder holds an earlier chart.
void FuzzPng(const uint8_t* data, size_t size) {
  const auto image = raster::DecodePng(std::span<const uint8_t>(data, size));
  RequireSound(image);
  if (!image) return;
  const auto written = raster::EncodePng(*image, raster::PngCompression::kStored);
  const auto read_back = written ? raster::DecodePng(*written) : std::nullopt;
  Require(
      read_back && read_back->Width() == image->Width() && read_back->Pixels() == image->Pixels(),
      "a decoded PNG written again reads back as the same pixels");
}

}  // namespace hl::fuzzing
