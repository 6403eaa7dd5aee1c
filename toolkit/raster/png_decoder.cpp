// PNG reader on libpng's simplified interface, which keeps its error jumps
// to itself: a damaged file ends in nullopt. The size is checked against
// the limits before the picture is allocated.

#include <png.h>

#include "toolkit/raster/image_files.h"

namespace hl::raster {

std::optional<Image> DecodePng(std::span<const uint8_t> bytes) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()) == 0) return std::nullopt;
  const int64_t width = png.width;
  const int64_t height = png.height;
  std::optional<Image> image;
  if (width <= Image::kMaxSide && height <= Image::kMaxSide &&
      width * height <= kMaxPicturePixels) {
    image = Image::Create(static_cast<int>(width), static_cast<int>(height));
  }
  if (!image) {
    png_image_free(&png);
    return std::nullopt;
  }
  png.format = PNG_FORMAT_RGB;
  if (png_image_finish_read(&png, nullptr, image->Pixels().data(),
                            static_cast<png_int_32>(width * 3), nullptr) == 0) {
    png_image_free(&png);
    return std::nullopt;
  }
  return image;
}

}  // namespace hl::raster
