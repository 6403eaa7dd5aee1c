#pragma once
// Reading BMP and JPEG pictures, writing PNG. Damaged or hostile input gives
// nullopt / false; it never crashes, never allocates absurd amounts and
// never ends the process.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "toolkit/raster/image.h"

namespace hl::raster {

// Pictures with more pixels than this are refused before any allocation.
constexpr int64_t kMaxPicturePixels = 64LL * 1024 * 1024;

// "BM" -> BMP, FF D8 -> JPEG, anything else fails. When fit_width/fit_height
// are given, a JPEG may be decoded at a reduced scale that still covers that
// size (the caller scales it further); BMPs always load at full size.
std::optional<Image> DecodePicture(std::span<const uint8_t> bytes, int fit_width = 0,
                                   int fit_height = 0);
std::optional<Image> LoadPictureFile(const std::string& path, int fit_width = 0,
                                     int fit_height = 0);
std::optional<Image> DecodeBmp(std::span<const uint8_t> bytes);
std::optional<Image> DecodeJpeg(std::span<const uint8_t> bytes, int fit_width = 0,
                                int fit_height = 0);

// Signature, IHDR (colour type 2, depth 8, no interlace), IDAT, IEND only;
// zlib level 9, filter None on every row.
std::optional<std::vector<uint8_t>> EncodePng(const Image& image);
// The same for a picture too tall to hold at once: rows(y) gives row y
// (width * 3 bytes), asked for once each, top to bottom, and is valid until
// the next call. A row of another size fails the encoding. The bytes equal
// EncodePng's for the same pixels.
using PngRowSource = std::function<std::span<const uint8_t>(int y)>;
std::optional<std::vector<uint8_t>> EncodePngRows(int width, int height, const PngRowSource& rows);
// EncodePng, then an atomic replace of the file.
bool SavePng(const Image& image, const std::string& path);

// The built-in 32 x 32, 24-bit, 3,126-byte BMP shown where a picture is missing.
std::span<const uint8_t> PlaceholderBmp();

}  // namespace hl::raster
