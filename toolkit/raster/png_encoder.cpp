// PNG writer on libpng: truecolour (or a palette, for quick drawings),
// filter None on every row, and no ancillary chunks, so the file's colours
// are exactly the image's.
// libpng reports errors by jumping back to the setjmp below; the output
// buffer lives in the caller's frame so the jump skips no destructor.

#include <png.h>

#include <csetjmp>
#include <cstddef>
#include <new>
#include <utility>

#include "toolkit/raster/image_files.h"
#include "toolkit/raster/png_palette.h"

namespace hl::raster {
namespace {

struct PngOutput {
  std::vector<uint8_t> bytes;
  bool out_of_memory = false;
};

void AppendToOutput(png_structp png, png_bytep data, png_size_t length) {
  auto* output = static_cast<PngOutput*>(png_get_io_ptr(png));
  try {
    const std::span<const uint8_t> chunk(data, length);
    output->bytes.insert(output->bytes.end(), chunk.begin(), chunk.end());
  } catch (const std::bad_alloc&) {
    output->out_of_memory = true;
  }
  // Outside the catch block: png_error jumps and must not skip the
  // destruction of a caught exception.
  if (output->out_of_memory) png_error(png, "out of memory");
}

void FlushNothing(png_structp) {}

void SilentWarning(png_structp, png_const_charp) {}

[[noreturn]] void JumpBack(png_structp png, png_const_charp) { png_longjmp(png, 1); }

int ZlibLevel(PngCompression compression) {
  switch (compression) {
    case PngCompression::kQuick:
      return 3;
    case PngCompression::kStored:
      return 0;
    case PngCompression::kSmallest:
      break;
  }
  return 9;
}

// Truecolour, or palette indices (one byte a pixel in the rows, packed here
// to the bit depth).
struct PngLayout {
  int level = 9;
  const std::vector<Color>* palette = nullptr;
  int bit_depth = 8;
};

void WriteHeader(png_structp png, png_infop info, int width, int height, const PngLayout& layout) {
  png_set_compression_level(png, layout.level);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
               layout.bit_depth, layout.palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
  if (layout.palette) {
    std::vector<png_color> entries;
    for (const Color c : *layout.palette) {
      entries.push_back({static_cast<png_byte>(RedOf(c)), static_cast<png_byte>(GreenOf(c)),
                         static_cast<png_byte>(BlueOf(c))});
    }
    png_set_PLTE(png, info, entries.data(), static_cast<int>(entries.size()));
    // Every index comes from the palette; libpng need not check each pixel.
    png_set_check_for_invalid_index(png, 0);
  }
  png_write_info(png, info);
}

// Indices of `depth` bits, first pixel in the highest bits of a byte, the
// unused bits of the last byte zero: the layout libpng's own packing makes.
template <int kDepth>
void PackIndices(std::span<const uint8_t> indices, std::span<uint8_t> packed) {
  constexpr size_t kPerByte = 8 / kDepth;
  const size_t whole = indices.size() / kPerByte;
  for (size_t byte = 0; byte < whole; ++byte) {
    unsigned bits = 0;
    for (size_t i = 0; i < kPerByte; ++i) bits = bits << kDepth | indices[byte * kPerByte + i];
    packed[byte] = static_cast<uint8_t>(bits);
  }
  if (whole == packed.size()) return;
  unsigned bits = 0;
  for (size_t i = 0; i < kPerByte; ++i) {
    const size_t pixel = whole * kPerByte + i;
    bits = bits << kDepth | (pixel < indices.size() ? indices[pixel] : 0);
  }
  packed[whole] = static_cast<uint8_t>(bits);
}

// Below 8 bits; 8-bit indices go to libpng as they are.
void PackIndices(int depth, std::span<const uint8_t> indices, std::span<uint8_t> packed) {
  switch (depth) {
    case 1:
      return PackIndices<1>(indices, packed);
    case 2:
      return PackIndices<2>(indices, packed);
    case 4:
      return PackIndices<4>(indices, packed);
  }
}

// The row source runs in this frame, between libpng calls; running out of
// memory there is a failure like libpng's own.
bool WriteRows(png_structp png, png_infop info, int width, int height, const PngRowSource& rows,
               const PngLayout& layout, std::vector<uint8_t>& packed_row, PngOutput& output) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_set_write_fn(png, &output, AppendToOutput, FlushNothing);
  WriteHeader(png, info, width, height, layout);
  const size_t row_size = static_cast<size_t>(width) * (layout.palette ? 1 : 3);
  const bool packed = !packed_row.empty();
  for (int y = 0; y < height; ++y) {
    std::span<const uint8_t> row;
    try {
      row = rows(y);
    } catch (const std::bad_alloc&) {
      return false;
    }
    if (row.size() != row_size) return false;
    if (packed) {
      PackIndices(layout.bit_depth, row, packed_row);
      row = packed_row;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  return true;
}

std::optional<std::vector<uint8_t>> Encode(int width, int height, const PngRowSource& rows,
                                           const PngLayout& layout) {
  if (width < 1 || height < 1) return std::nullopt;
  std::vector<uint8_t> packed_row;  // empty where libpng takes the rows as they are
  if (layout.palette && layout.bit_depth < 8)
    packed_row.resize((static_cast<size_t>(width) * static_cast<size_t>(layout.bit_depth) + 7) / 8);
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpBack, SilentWarning);
  if (png == nullptr) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return std::nullopt;
  }
  PngOutput output;
  if (layout.level == 0) {
    // A stored picture is its rows plus a small overhead a block and a
    // chunk; reserving it spares copying the file over as it grows.
    const size_t raw = static_cast<size_t>(height) * (static_cast<size_t>(width) * 3 + 1);
    output.bytes.reserve(raw + raw / 256 + 1024);
  }
  const bool written = WriteRows(png, info, width, height, rows, layout, packed_row, output);
  png_destroy_write_struct(&png, &info);
  if (!written) return std::nullopt;
  return std::move(output.bytes);
}

}  // namespace

std::optional<std::vector<uint8_t>> EncodePng(const Image& image, PngCompression compression) {
  const PngLayout layout{.level = ZlibLevel(compression)};
  const auto truecolour_rows = [&image](int y) { return image.Row(y); };
  if (compression != PngCompression::kQuick) {
    return Encode(image.Width(), image.Height(), truecolour_rows, layout);
  }
  const std::optional<IndexedPicture> indexed = IndexColours(image);
  if (!indexed) return Encode(image.Width(), image.Height(), truecolour_rows, layout);
  const size_t width = static_cast<size_t>(image.Width());
  const auto index_rows = [&](int y) {
    return std::span<const uint8_t>(indexed->indices)
        .subspan(static_cast<size_t>(y) * width, width);
  };
  return Encode(
      image.Width(), image.Height(), index_rows,
      {.level = layout.level, .palette = &indexed->palette, .bit_depth = indexed->bit_depth});
}

std::optional<std::vector<uint8_t>> EncodePngRows(int width, int height, const PngRowSource& rows,
                                                  PngCompression compression) {
  const PngLayout layout{.level = ZlibLevel(compression)};
  if (compression != PngCompression::kQuick || width < 1)
    return Encode(width, height, rows, layout);
  // A first pass finds whether the colours fit a palette, and which.
  Palette palette;
  std::vector<uint8_t> indices(static_cast<size_t>(width));
  for (int y = 0; y < height; ++y) {
    const std::span<const uint8_t> row = rows(y);
    if (row.size() != indices.size() * 3) return std::nullopt;
    if (!palette.Index(row, indices)) return Encode(width, height, rows, layout);
  }
  const auto index_rows = [&](int y) {
    (void)palette.Index(rows(y), indices);  // every colour is in the palette by now
    return std::span<const uint8_t>(indices);
  };
  return Encode(
      width, height, index_rows,
      {.level = layout.level, .palette = &palette.Colours(), .bit_depth = palette.BitDepth()});
}

}  // namespace hl::raster
