// Windows BMP reader. Every size and offset in the headers is checked
// against the data before it is used, and the whole pixel array of an
// uncompressed picture is known to be present before the image is
// allocated. Run-length encoded data cannot be measured in advance; its
// decoder stays inside the data and the picture by itself.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <span>
#include <vector>

#include "toolkit/files/byte_view.h"
#include "toolkit/raster/bmp_rle.h"
#include "toolkit/raster/image_files.h"

namespace hl::raster {
namespace {

using files::ByteView;

constexpr int64_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr uint32_t kCompressionBitFields = 3;

// One colour channel packed into a 16- or 32-bit pixel.
class ChannelMask {
 public:
  ChannelMask() = default;
  explicit ChannelMask(uint32_t mask)
      : mask_(mask),
        shift_(mask == 0 ? 0 : std::countr_zero(mask)),
        bits_(mask == 0 ? 0 : std::bit_width(mask >> shift_)) {}

  // The channel scaled to 0 .. 255.
  int Extract(uint32_t pixel) const {
    if (bits_ == 0) return 0;
    const uint32_t value = (pixel & mask_) >> shift_;
    if (bits_ >= 8) return static_cast<int>(value >> (bits_ - 8));
    const uint32_t top = (1u << bits_) - 1;
    return static_cast<int>((value * 255 + top / 2) / top);
  }

 private:
  uint32_t mask_ = 0;
  int shift_ = 0;
  int bits_ = 0;
};

struct PixelMasks {
  ChannelMask red, green, blue;
};

struct BmpLayout {
  int width = 0;
  int height = 0;
  bool top_down = false;
  int bits = 0;
  uint32_t compression = kCompressionRgb;
  uint32_t header_size = 0;
  uint32_t colours_used = 0;
  int64_t pixel_offset = 0;
  int64_t stride = 0;
  std::vector<Color> palette;
  PixelMasks masks;
};

std::optional<uint32_t> GetU32(const ByteView& view, int64_t position) {
  const std::optional<int32_t> value = view.GetI32(position);
  if (!value) return std::nullopt;
  return static_cast<uint32_t>(*value);
}

bool IsInfoHeaderSize(uint32_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool ReadCoreHeader(const ByteView& view, BmpLayout& layout) {
  const auto width = view.GetU16(18);
  const auto height = view.GetU16(20);
  const auto bits = view.GetU16(24);
  if (!width || !height || !bits) return false;
  layout.width = *width;
  layout.height = *height;
  layout.bits = *bits;
  return true;
}

bool ReadInfoHeader(const ByteView& view, BmpLayout& layout) {
  const auto width = view.GetI32(18);
  const auto height = view.GetI32(22);
  const auto bits = view.GetU16(28);
  const auto compression = GetU32(view, 30);
  const auto colours_used = GetU32(view, 46);
  if (!width || !height || !bits || !compression || !colours_used) return false;
  if (*height == INT32_MIN) return false;
  layout.width = *width;
  layout.top_down = *height < 0;
  layout.height = *height < 0 ? -*height : *height;
  layout.bits = *bits;
  layout.compression = *compression;
  layout.colours_used = *colours_used;
  return true;
}

bool SizeAcceptable(const BmpLayout& layout) {
  if (layout.width <= 0 || layout.height <= 0) return false;
  if (layout.width > Image::kMaxSide || layout.height > Image::kMaxSide) return false;
  return int64_t{layout.width} * layout.height <= kMaxPicturePixels;
}

bool FormatSupported(const BmpLayout& layout) {
  switch (layout.bits) {
    case 1:
    case 24:
      return layout.compression == kCompressionRgb;
    case 4:
      return layout.compression == kCompressionRgb || layout.compression == kCompressionRle4;
    case 8:
      return layout.compression == kCompressionRgb || layout.compression == kCompressionRle8;
    case 16:
    case 32:
      return layout.compression == kCompressionRgb || layout.compression == kCompressionBitFields;
    default:
      return false;
  }
}

bool ReadMasks(const ByteView& view, BmpLayout& layout) {
  if (layout.compression != kCompressionBitFields) {
    layout.masks = layout.bits == 16
                       ? PixelMasks{ChannelMask(0x7C00), ChannelMask(0x03E0), ChannelMask(0x001F)}
                       : PixelMasks{ChannelMask(0xFF0000), ChannelMask(0xFF00), ChannelMask(0xFF)};
    return true;
  }
  // Version 2 and later headers hold the masks; a plain info header is
  // followed by them.
  const int64_t at = kFileHeaderSize + 40;
  const auto red = GetU32(view, at);
  const auto green = GetU32(view, at + 4);
  const auto blue = GetU32(view, at + 8);
  if (!red || !green || !blue) return false;
  layout.masks = {ChannelMask(*red), ChannelMask(*green), ChannelMask(*blue)};
  return true;
}

// Only the entries that really lie in the data (and before the pixels) are
// taken; pixel indices beyond them come out black.
void ReadPalette(const ByteView& view, BmpLayout& layout) {
  if (layout.bits > 8) return;
  const bool core = layout.header_size == kCoreHeaderSize;
  const int64_t entry_size = core ? 3 : 4;
  const int64_t start = kFileHeaderSize + layout.header_size;
  const int64_t nominal = int64_t{1} << layout.bits;
  int64_t count =
      layout.colours_used > 0 && layout.colours_used < nominal ? layout.colours_used : nominal;
  if (layout.pixel_offset > start)
    count = std::min(count, (layout.pixel_offset - start) / entry_size);
  count = std::min(count, std::max<int64_t>(view.Size() - start, 0) / entry_size);
  for (int64_t i = 0; i < count; ++i) {
    const int64_t at = start + i * entry_size;
    const auto blue = view.GetU8(at);
    const auto green = view.GetU8(at + 1);
    const auto red = view.GetU8(at + 2);
    if (!blue || !green || !red) break;
    layout.palette.push_back(Rgb(*red, *green, *blue));
  }
}

bool IsRunLength(const BmpLayout& layout) {
  return layout.compression == kCompressionRle8 || layout.compression == kCompressionRle4;
}

std::optional<BmpLayout> ReadLayout(const ByteView& view) {
  const auto b = view.GetU8(0);
  const auto m = view.GetU8(1);
  const auto pixel_offset = GetU32(view, 10);
  const auto header_size = GetU32(view, 14);
  if (!b || !m || *b != 'B' || *m != 'M' || !pixel_offset || !header_size) return std::nullopt;

  BmpLayout layout;
  layout.header_size = *header_size;
  layout.pixel_offset = *pixel_offset;
  if (!view.Contains(kFileHeaderSize, layout.header_size)) return std::nullopt;
  const bool read = layout.header_size == kCoreHeaderSize  ? ReadCoreHeader(view, layout)
                    : IsInfoHeaderSize(layout.header_size) ? ReadInfoHeader(view, layout)
                                                           : false;
  if (!read || !SizeAcceptable(layout) || !FormatSupported(layout)) return std::nullopt;
  if ((layout.bits == 16 || layout.bits == 32) && !ReadMasks(view, layout)) return std::nullopt;

  const int64_t row_bits = int64_t{layout.width} * layout.bits;
  layout.stride = (row_bits + 31) / 32 * 4;
  // The padding after the last row is often left out by writers; accept that.
  const int64_t last_row_bytes = (row_bits + 7) / 8;
  const int64_t pixel_bytes =
      IsRunLength(layout) ? 0 : layout.stride * (layout.height - 1) + last_row_bytes;
  if (!view.Contains(layout.pixel_offset, pixel_bytes)) return std::nullopt;
  ReadPalette(view, layout);
  return layout;
}

Color PaletteColor(const BmpLayout& layout, unsigned index) {
  return index < layout.palette.size() ? layout.palette[index] : Rgb(0, 0, 0);
}

Color PixelAt(const BmpLayout& layout, std::span<const uint8_t> row, int x) {
  const size_t column = static_cast<size_t>(x);
  switch (layout.bits) {
    case 1:
      return PaletteColor(layout, (row[column / 8] >> (7 - column % 8)) & 1u);
    case 4:
      return PaletteColor(layout, (row[column / 2] >> (column % 2 == 0 ? 4 : 0)) & 15u);
    case 8:
      return PaletteColor(layout, row[column]);
    case 24:
      return Rgb(row[column * 3 + 2], row[column * 3 + 1], row[column * 3]);
    case 16: {
      const uint32_t pixel = row[column * 2] | (uint32_t{row[column * 2 + 1]} << 8);
      return Rgb(layout.masks.red.Extract(pixel), layout.masks.green.Extract(pixel),
                 layout.masks.blue.Extract(pixel));
    }
    default: {
      const size_t at = column * 4;
      const uint32_t pixel = row[at] | (uint32_t{row[at + 1]} << 8) |
                             (uint32_t{row[at + 2]} << 16) | (uint32_t{row[at + 3]} << 24);
      return Rgb(layout.masks.red.Extract(pixel), layout.masks.green.Extract(pixel),
                 layout.masks.blue.Extract(pixel));
    }
  }
}

// The common true-colour layout is a plain byte swap; the others go pixel
// by pixel through their palette or masks.
void DecodeRow(const BmpLayout& layout, std::span<const uint8_t> in, std::span<uint8_t> out) {
  if (layout.bits == 24) {
    for (size_t at = 0; at + 2 < out.size(); at += 3) {
      out[at] = in[at + 2];
      out[at + 1] = in[at + 1];
      out[at + 2] = in[at];
    }
    return;
  }
  for (int x = 0; x < layout.width; ++x) {
    const Color c = PixelAt(layout, in, x);
    const size_t at = static_cast<size_t>(x) * 3;
    out[at] = static_cast<uint8_t>(RedOf(c));
    out[at + 1] = static_cast<uint8_t>(GreenOf(c));
    out[at + 2] = static_cast<uint8_t>(BlueOf(c));
  }
}

}  // namespace

// Once the layout is read, decoding cannot fail: the whole pixel data of an
// uncompressed picture lies in the file, and run-length data that breaks
// off only leaves pixels black.
bool BmpDecodes(std::span<const uint8_t> bytes) { return ReadLayout(ByteView(bytes)).has_value(); }

std::optional<Image> DecodeBmp(std::span<const uint8_t> bytes) {
  const ByteView view(bytes);
  const std::optional<BmpLayout> layout = ReadLayout(view);
  if (!layout) return std::nullopt;
  std::optional<Image> image = Image::Create(layout->width, layout->height);
  if (!image) return std::nullopt;
  if (IsRunLength(*layout)) {
    DecodeRlePixels(bytes.subspan(static_cast<size_t>(layout->pixel_offset)), layout->bits,
                    layout->top_down, layout->palette, *image);
    return image;
  }
  const int64_t row_bytes = (int64_t{layout->width} * layout->bits + 7) / 8;
  for (int r = 0; r < layout->height; ++r) {
    const auto row = view.Slice(layout->pixel_offset + r * layout->stride, row_bytes);
    if (!row) return std::nullopt;
    const int y = layout->top_down ? r : layout->height - 1 - r;
    DecodeRow(*layout, *row, image->Row(y));
  }
  return image;
}

}  // namespace hl::raster
