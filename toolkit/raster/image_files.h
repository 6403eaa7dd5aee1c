#pragma once
// Reading BMP, JPEG and PNG pictures, writing PNG and JPEG. Damaged or hostile input gives
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

// Whether DecodePicture succeeds, without the pixels: a JPEG is decoded at
// its smallest scale, where every byte of its compressed data is still read
// and checked; a BMP's layout is checked against its data.
bool PictureDecodes(std::span<const uint8_t> bytes);
bool PictureFileDecodes(const std::string& path);
bool BmpDecodes(std::span<const uint8_t> bytes);
std::optional<Image> DecodeJpeg(std::span<const uint8_t> bytes, int fit_width = 0,
                                int fit_height = 0);
// A PNG of any kind, as RGB; not one DecodePicture reads for an entry.
std::optional<Image> DecodePng(std::span<const uint8_t> bytes);

// How hard the PNG writer compresses. The chart and the saved track pictures
// are written smallest, and their bytes must never change. Pictures written
// by the hundred for a results page trade size for time: a drawing of at
// most 256 colours is written as palette indices at a low zlib level, which
// is several times faster and still smaller; a screen decoded from a JPEG
// gains only a fifth of its size from deflate at any level, so it is stored.
enum class PngCompression { kSmallest, kQuick, kStored };

// Signature, IHDR (no interlace), PLTE for a palette, IDAT, IEND only;
// filter None on every row. Smallest and stored are truecolour at depth 8,
// zlib level 9 and 0; quick is zlib level 3, with a palette of the fewest
// bits a pixel when the colours fit one.
std::optional<std::vector<uint8_t>> EncodePng(
    const Image& image, PngCompression compression = PngCompression::kSmallest);
// The same for a picture too tall to hold at once: rows(y) gives row y
// (width * 3 bytes), asked for top to bottom (twice over for quick, which
// first looks for a palette), and is valid until the next call. A row of
// another size fails the encoding. The bytes equal EncodePng's for the same
// pixels.
using PngRowSource = std::function<std::span<const uint8_t>(int y)>;
std::optional<std::vector<uint8_t>> EncodePngRows(
    int width, int height, const PngRowSource& rows,
    PngCompression compression = PngCompression::kSmallest);
// Baseline JPEG (JFIF, 4:2:0, Huffman tables fitted to the picture) at
// `quality` 1 to 100; nothing but the pixels goes in.
std::optional<std::vector<uint8_t>> EncodeJpeg(const Image& image, int quality);
// EncodePng, then an atomic replace of the file.
bool SavePng(const Image& image, const std::string& path);

// The built-in 32 x 32, 24-bit, 3,126-byte BMP shown where a picture is missing.
std::span<const uint8_t> PlaceholderBmp();

}  // namespace hl::raster
