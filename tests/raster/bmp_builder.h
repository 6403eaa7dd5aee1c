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
  for (int i = 0; i < count; ++i)
    bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

inline void AppendLe(std::vector<uint8_t>& bytes, uint32_t value, int count) {
  bytes.resize(bytes.size() + static_cast<size_t>(count));
  PutLe(bytes, bytes.size() - static_cast<size_t>(count), value, count);
}

// The file and info headers, masks and palette, with the pixel offset set
// to their end; the file size is set by the caller.
inline std::vector<uint8_t> BmpHeaders(const BmpLayout& content) {
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
  return bytes;
}

// raw(x, y) with y from the top: a palette index for up to 8 bits, a Color
// for 24 bits and for 32 bits without masks, else the packed pixel value.
inline std::vector<uint8_t> BuildBmp(const BmpLayout& content,
                                     const std::function<uint32_t(int, int)>& raw) {
  std::vector<uint8_t> bytes = BmpHeaders(content);
  const int height = std::abs(content.height);
  const size_t stride =
      (static_cast<size_t>(content.width) * static_cast<size_t>(content.bits) + 31) / 32 * 4;
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
          row[bit / 8] |=
              static_cast<uint8_t>(value << (8 - content.bits - static_cast<int>(bit % 8)));
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
            PutLe(row, column * 4, (BlueOf(value)) | (GreenOf(value) << 8) | (RedOf(value) << 16),
                  4);
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

// A BMP whose pixel data is given byte for byte, such as run-length
// encoded data (compression 1 for 8 bits, 2 for 4 bits).
inline std::vector<uint8_t> BuildBmpWithData(const BmpLayout& content,
                                             const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes = BmpHeaders(content);
  bytes.insert(bytes.end(), data.begin(), data.end());
  PutLe(bytes, 2, static_cast<uint32_t>(bytes.size()), 4);
  return bytes;
}

// Run-length encodes rows of palette indices (file order: the first row is
// stored first) the way common writers do: a run wherever a pixel (RLE8) or
// a pair of pixels (RLE4) repeats, absolute runs in between, an end of line
// after each row and an end of bitmap at the end.
inline std::vector<uint8_t> EncodeRle(const std::vector<std::vector<uint8_t>>& rows, int bits) {
  const size_t step = bits == 8 ? 1 : 2;  // pixels a run repeats
  std::vector<uint8_t> out;
  for (const std::vector<uint8_t>& row : rows) {
    auto repeats = [&](size_t at) {
      size_t length = 0;
      while (at + length < row.size() && length < 254 &&
             row[at + length] == row[at + length % step])
        ++length;
      return length;
    };
    size_t x = 0;
    while (x < row.size()) {
      const size_t run = repeats(x);
      // Absolute runs hold 3 pixels or more: shorter counts are escapes.
      if (run >= 3 || x + run == row.size() || row.size() - x < 3) {
        out.push_back(static_cast<uint8_t>(run));
        out.push_back(bits == 8 ? row[x]
                                : static_cast<uint8_t>(row[x] << 4 | (run > 1 ? row[x + 1] : 0)));
        x += run;
        continue;
      }
      size_t length = 0;
      while (x + length < row.size() && length < 254 && (length < 3 || repeats(x + length) < 3))
        ++length;
      out.push_back(0);
      out.push_back(static_cast<uint8_t>(length));
      std::vector<uint8_t> literal;
      for (size_t i = 0; i < length; ++i) {
        if (bits == 8) {
          literal.push_back(row[x + i]);
        } else if (i % 2 == 0) {
          literal.push_back(static_cast<uint8_t>(row[x + i] << 4));
        } else {
          literal.back() |= row[x + i];
        }
      }
      if (literal.size() % 2 != 0) literal.push_back(0);
      out.insert(out.end(), literal.begin(), literal.end());
      x += length;
    }
    out.insert(out.end(), {0, 0});
  }
  out.insert(out.end(), {0, 1});
  return out;
}

}  // namespace hl::raster::testing
