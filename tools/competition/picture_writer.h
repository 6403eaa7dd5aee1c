#pragma once
// Encodes images as the screen picture files an entrant submits. Used by the
// sample generator and by test fixtures.

#include <cstdint>
#include <vector>

#include "toolkit/raster/image.h"

namespace hl::competition {

// An uncompressed Windows BMP: 54-byte header, 24 bits per pixel, rows
// bottom-up, each row padded to a multiple of four bytes.
std::vector<uint8_t> EncodeBmp24(const raster::Image& image);

// A baseline JPEG through libjpeg at the given quality (1-100); empty when
// the library fails.
std::vector<uint8_t> EncodeJpeg(const raster::Image& image, int quality);
// The same as a one-channel greyscale JPEG, taking the red channel as the grey.
std::vector<uint8_t> EncodeGreyJpeg(const raster::Image& image, int quality);

}  // namespace hl::competition
