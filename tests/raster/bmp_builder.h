#pragma once
// Writes small BMP files in every layout the reader has to understand.

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "toolkit/raster/color.h"

namespace hl::raster::testing {

struct BmpLayout {
  int width = 11;
  int height = 3;  // negative: rows stored top-down
  int bits = 24;
  uint32_t header_size = 40;
  uint32_t compression = 0;
  std::vector<uint32_t> masks = {};  // red, green, blue
  std::vector<Color> palette = {};
  uint32_t colours_used = 0;
};

inline void PutLe(std::vector<uint8_t>& bytes, size_t at, uint32_t value, int count) {
  for (int i = 0; i < count; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

inline void AppendLe(std::vector<uint8_t>& bytes, uint32_t value, int count) {
  bytes.resize(bytes.size() + static_cast<size_t>(count));
  PutLe(bytes, bytes.size() - static_cast<size_t>(count), value, count);
}

// raw(x, y) with y from the top: a palette index for up to 8 bits, a Color
// for 24 bits and for 32 bits without masks, else the packed pixel value.
inline std::vector<uint8_t> BuildBmp(const BmpLayout& content, const std::function<uint32_t(int, int)>& raw) {
  const bool core = content.header_size == 12;
  const int height = std::abs(content.height);
  std::vector<uint8_t> bytes(14 + content.header_size, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutLe(bytes, 14, content.header_size, 4);
  if (core) {
    PutLe(bytes, 18, static_cast<uint32_t>(content.width), 2);
    PutLe(bytes, 20, static_cast<uint32_t>(height), 2);
    PutLe(bytes, 22, 1, 2);
    PutLe(bytes, 24, static_cast<uint32_t>(content.bits), 2);
  } else {
    PutLe(bytes, 18, static_cast<uint32_t>(content.width), 4);
    PutLe(bytes, 22, static_cast<uint32_t>(content.height), 4);
    PutLe(bytes, 26, 1, 2);
    PutLe(bytes, 28, static_cast<uint32_t>(content.bits), 2);
    PutLe(bytes, 30, content.compression, 4);
    PutLe(bytes, 46, content.colours_used, 4);
  }
  if (!content.masks.empty()) {
    if (content.header_size == 40) bytes.resize(bytes.size() + 12);
    for (size_t i = 0; i < 3; ++i) PutLe(bytes, 54 + 4 * i, content.masks[i], 4);
  }
  for (const Color c : content.palette) {
    bytes.push_back(static_cast<uint8_t>(BlueOf(c)));
    bytes.push_back(static_cast<uint8_t>(GreenOf(c)));
    bytes.push_back(static_cast<uint8_t>(RedOf(c)));
    if (!core) bytes.push_back(0);
  }
  PutLe(bytes, 10, static_cast<uint32_t>(bytes.size()), 4);

  const size_t stride = (static_cast<size_t>(content.width) * static_cast<size_t>(content.bits) + 31) / 32 * 4;
  for (int r = 0; r < height; ++r) {
    const int y = content.height < 0 ? r : height - 1 - r;
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < content.width; ++x) {
      const uint32_t value = raw(x, y);
      const size_t column = static_cast<size_t>(x);
      switch (content.bits) {
        case 1:
        case 4:
        case 8: {
          const size_t bit = column * static_cast<size_t>(content.bits);
          row[bit / 8] |= static_cast<uint8_t>(value << (8 - content.bits - static_cast<int>(bit % 8)));
          break;
        }
        case 16:
          PutLe(row, column * 2, value, 2);
          break;
        case 24:
          row[column * 3] = static_cast<uint8_t>(BlueOf(value));
          row[column * 3 + 1] = static_cast<uint8_t>(GreenOf(value));
          row[column * 3 + 2] = static_cast<uint8_t>(RedOf(value));
          break;
        default:
          if (content.masks.empty()) {
            PutLe(row, column * 4, (BlueOf(value)) | (GreenOf(value) << 8) | (RedOf(value) << 16), 4);
          } else {
            PutLe(row, column * 4, value, 4);
          }
      }
    }
    bytes.insert(bytes.end(), row.begin(), row.end());
  }
  PutLe(bytes, 2, static_cast<uint32_t>(bytes.size()), 4);
  return bytes;
}

}  // namespace hl::raster::testing
