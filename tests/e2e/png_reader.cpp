#include "tests/e2e/png_reader.h"

#include <zlib.h>

namespace hl::testing {
namespace {

constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";

uint32_t BigEndian(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

std::vector<uint8_t> Inflate(const std::string& compressed, size_t expected) {
  std::vector<uint8_t> raw(expected);
  uLongf length = static_cast<uLongf>(expected);
  const int result =
      uncompress(raw.data(), &length, reinterpret_cast<const Bytef*>(compressed.data()),
                 static_cast<uLong>(compressed.size()));
  if (result != Z_OK || length != expected) return {};
  return raw;
}

// Rows of filter None only; anything else leaves the pixels empty.
std::vector<uint8_t> Unfilter(const std::vector<uint8_t>& raw, int width, int height) {
  const size_t row = static_cast<size_t>(width) * 3;
  std::vector<uint8_t> rgb;
  rgb.reserve(row * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    const size_t start = static_cast<size_t>(y) * (row + 1);
    if (raw[start] != 0) return {};
    rgb.insert(rgb.end(), raw.begin() + static_cast<long>(start + 1),
               raw.begin() + static_cast<long>(start + 1 + row));
  }
  return rgb;
}

}  // namespace

raster::Color PngContent::At(int x, int y) const {
  const size_t at =
      (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
  return raster::Rgb(rgb[at], rgb[at + 1], rgb[at + 2]);
}

std::optional<PngContent> ReadPng(const std::string& bytes) {
  if (bytes.compare(0, 8, kSignature, 8) != 0) return std::nullopt;
  PngContent png;
  std::string compressed;
  bool rgb8 = false;
  size_t at = 8;
  while (at + 12 <= bytes.size()) {
    const uint32_t length = BigEndian(bytes, at);
    if (at + 12 + length > bytes.size()) return std::nullopt;
    const std::string type = bytes.substr(at + 4, 4);
    const std::string data = bytes.substr(at + 8, length);
    png.chunks.push_back(type);
    if (type == "IHDR") {
      if (length != 13) return std::nullopt;
      png.width = static_cast<int>(BigEndian(data, 0));
      png.height = static_cast<int>(BigEndian(data, 4));
      rgb8 = data[8] == 8 && data[9] == 2 && data[12] == 0;
    } else if (type == "IDAT") {
      compressed += data;
    }
    at += 12 + length;
  }
  if (png.chunks.empty() || png.chunks.front() != "IHDR" || at != bytes.size()) return std::nullopt;
  if (rgb8) {
    const size_t raw_size =
        (static_cast<size_t>(png.width) * 3 + 1) * static_cast<size_t>(png.height);
    const std::vector<uint8_t> raw = Inflate(compressed, raw_size);
    if (!raw.empty()) png.rgb = Unfilter(raw, png.width, png.height);
  }
  return png;
}

}  // namespace hl::testing
