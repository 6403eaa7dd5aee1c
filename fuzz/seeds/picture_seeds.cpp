#include <array>
#include <string>

#include "fuzz/seeds/seed_sets.h"
#include "toolkit/raster/image.h"
#include "toolkit/raster/image_files.h"
#include "tools/competition/picture_writer.h"

namespace hl::fuzzing {

namespace {

raster::Image Pattern(int width, int height) {
  raster::Image image = *raster::Image::Create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.Set(x, y, raster::Rgb(x * 40, y * 60, (x + y) * 25));
  }
  return image;
}

class LittleEndian {
 public:
  void U8(uint32_t v) { bytes.push_back(static_cast<uint8_t>(v)); }
  void U16(uint32_t v) { U8(v & 0xFF), U8(v >> 8); }
  void U32(uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
  std::vector<uint8_t> bytes;
};

struct BmpForm {
  int bits = 24;
  bool core_header = false;  // the 12-byte header of the oldest version
  bool top_down = false;
  std::array<uint32_t, 3> masks{};  // all zero: no bit fields
  uint32_t colours_used = 0;
};

// Pixel k of a row: a palette index for the palette depths, else the packed
// value of a colour that changes along the row.
uint32_t PixelValue(const BmpForm& form, int x, int y) {
  if (form.bits <= 8) return static_cast<uint32_t>(x + y) % (1u << form.bits);
  return static_cast<uint32_t>(x * 0x1F3 + y * 0x7B1D) & (form.bits == 16 ? 0xFFFF : 0xFFFFFF);
}

std::vector<uint8_t> PixelRows(const BmpForm& form, int width, int height) {
  std::vector<uint8_t> rows;
  const size_t stride = (static_cast<size_t>(width) * form.bits + 31) / 32 * 4;
  for (int y = 0; y < height; ++y) {
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < width; ++x) {
      const uint32_t value = PixelValue(form, x, y);
      if (form.bits <= 8) {
        const size_t bit = static_cast<size_t>(x) * form.bits;
        row[bit / 8] |= static_cast<uint8_t>(value << (8 - form.bits - bit % 8));
      } else {
        for (int b = 0; b < form.bits / 8; ++b)
          row[static_cast<size_t>(x) * form.bits / 8 + b] = static_cast<uint8_t>(value >> (8 * b));
      }
    }
    rows.insert(rows.end(), row.begin(), row.end());
  }
  return rows;
}

std::vector<uint8_t> BuildBmp(int width, int height, const BmpForm& form) {
  const bool bitfields = form.masks[0] != 0;
  const uint32_t header_size = form.core_header ? 12 : 40;
  const uint32_t palette_count =
      form.bits > 8 ? 0 : (form.colours_used ? form.colours_used : 1u << form.bits);
  const uint32_t palette_bytes = palette_count * (form.core_header ? 3 : 4);
  const uint32_t pixel_offset = 14 + header_size + (bitfields ? 12 : 0) + palette_bytes;
  const std::vector<uint8_t> rows = PixelRows(form, width, height);

  LittleEndian out;
  out.U8('B'), out.U8('M');
  out.U32(pixel_offset + static_cast<uint32_t>(rows.size()));
  out.U32(0);
  out.U32(pixel_offset);
  out.U32(header_size);
  if (form.core_header) {
    out.U16(width), out.U16(height), out.U16(1), out.U16(form.bits);
  } else {
    out.U32(width), out.U32(static_cast<uint32_t>(form.top_down ? -height : height));
    out.U16(1), out.U16(form.bits), out.U32(bitfields ? 3 : 0);
    out.U32(static_cast<uint32_t>(rows.size())), out.U32(2835), out.U32(2835);
    out.U32(form.colours_used), out.U32(0);
  }
  if (bitfields) {
    for (uint32_t mask : form.masks) out.U32(mask);
  }
  for (uint32_t i = 0; i < palette_count; ++i) {
    out.U8(i * 70), out.U8(255 - i * 30), out.U8(i * 16);
    if (!form.core_header) out.U8(0);
  }
  out.bytes.insert(out.bytes.end(), rows.begin(), rows.end());
  return out.bytes;
}

// A 6 x 4 palette BMP whose pixels are the given run-length data.
std::vector<uint8_t> RleBmp(int bits, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> bytes = BuildBmp(6, 4, {.bits = bits});
  auto put_u32 = [&bytes](size_t at, size_t value) {
    for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  const size_t pixel_offset = bytes[10] | size_t{bytes[11]} << 8;
  bytes.resize(pixel_offset);
  bytes.insert(bytes.end(), data.begin(), data.end());
  put_u32(2, bytes.size());
  put_u32(30, bits == 8 ? 1 : 2);
  put_u32(34, data.size());
  return bytes;
}

// A grey ramp as a one-channel JPEG.
std::vector<uint8_t> GreyJpeg(int width, int height) {
  raster::Image image = *raster::Image::Create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image.Set(x, y, raster::Rgb(x * 9 + y * 5, 0, 0));
  }
  return competition::EncodeGreyJpeg(image, 50);
}

}  // namespace

std::vector<Seed> BmpSeeds() {
  return {
      {"rgb24", competition::EncodeBmp24(Pattern(5, 3))},
      {"rgb24_top_down", BuildBmp(7, 4, {.bits = 24, .top_down = true})},
      {"mono", BuildBmp(13, 3, {.bits = 1})},
      {"palette4", BuildBmp(5, 5, {.bits = 4, .colours_used = 3})},
      {"palette8", BuildBmp(6, 2, {.bits = 8, .colours_used = 12})},
      {"core8", BuildBmp(3, 3, {.bits = 8, .core_header = true})},
      {"rgb555", BuildBmp(5, 2, {.bits = 16})},
      {"rgb565_fields", BuildBmp(3, 4, {.bits = 16, .masks = {0xF800, 0x07E0, 0x001F}})},
      {"rgb32", BuildBmp(4, 2, {.bits = 32})},
      {"rgb32_fields", BuildBmp(2, 3, {.bits = 32, .masks = {0xFF, 0xFF00, 0x3FF0000}})},
      // Runs, an absolute run, end of line, a delta and end of bitmap.
      {"rle8", RleBmp(8, {2, 1, 0, 3, 4, 5, 6, 0, 0, 0, 6, 7, 0, 2, 1, 1, 3, 9, 0, 1})},
      {"rle4", RleBmp(4, {3, 0x12, 0, 3, 0x45, 0x60, 0, 0, 0, 2, 2, 1, 4, 0x77, 0, 1})},
  };
}

std::vector<Seed> JpegSeeds() {
  return {
      {"rgb_q85", competition::EncodeJpeg(Pattern(40, 30), 85)},
      {"rgb_q10_odd", competition::EncodeJpeg(Pattern(17, 9), 10)},
      {"rgb_one_pixel", competition::EncodeJpeg(Pattern(1, 1), 95)},
      {"grey", GreyJpeg(23, 31)},
  };
}

// The kinds the program writes: truecolour at level 9 and stored, and a
// drawing of few colours as packed palette indices.
std::vector<Seed> PngSeeds() {
  raster::Image drawing = *raster::Image::Create(9, 5);
  for (int x = 0; x < 9; ++x) drawing.Set(x, x % 5, raster::Rgb(200, 30, 30));
  return {
      {"rgb_smallest", *raster::EncodePng(Pattern(12, 7))},
      {"rgb_stored", *raster::EncodePng(Pattern(5, 3), raster::PngCompression::kStored)},
      {"palette_two_bits", *raster::EncodePng(drawing, raster::PngCompression::kQuick)},
      {"one_pixel", *raster::EncodePng(Pattern(1, 1))},
  };
}

}  // namespace hl::fuzzing
