// PNG writer on libpng: truecolour, zlib level 9, filter None on every row,
// and no ancillary chunks, so the file's colours are exactly the image's.
// libpng reports errors by jumping back to the setjmp below; the output
// buffer lives in the caller's frame so the jump skips no destructor.

#include <png.h>

#include <csetjmp>
#include <cstddef>
#include <new>
#include <utility>

#include "toolkit/raster/image_files.h"

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

// The row source runs in this frame, between libpng calls; running out of
// memory there is a failure like libpng's own.
bool WriteRows(png_structp png, png_infop info, int width, int height, const PngRowSource& rows,
               PngOutput& output) {
  if (setjmp(png_jmpbuf(png)) != 0) return false;
  png_set_write_fn(png, &output, AppendToOutput, FlushNothing);
  png_set_compression_level(png, 9);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
               PNG_FILTER_TYPE_BASE);
  png_write_info(png, info);
  const size_t row_size = static_cast<size_t>(width) * 3;
  for (int y = 0; y < height; ++y) {
    std::span<const uint8_t> row;
    try {
      row = rows(y);
    } catch (const std::bad_alloc&) {
      return false;
    }
    if (row.size() != row_size) return false;
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> EncodePng(const Image& image) {
  return EncodePngRows(image.Width(), image.Height(), [&image](int y) { return image.Row(y); });
}

std::optional<std::vector<uint8_t>> EncodePngRows(int width, int height,
                                                  const PngRowSource& rows) {
  if (width < 1 || height < 1) return std::nullopt;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpBack, SilentWarning);
  if (png == nullptr) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return std::nullopt;
  }
  PngOutput output;
  const bool written = WriteRows(png, info, width, height, rows, output);
  png_destroy_write_struct(&png, &info);
  if (!written) return std::nullopt;
  return std::move(output.bytes);
}

}  // namespace hl::raster
