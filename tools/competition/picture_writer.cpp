#include "tools/competition/picture_writer.h"

#include <algorithm>
#include <cstdlib>
#include <span>

#include "toolkit/raster/jpeg_error_trap.h"

namespace hl::competition {

namespace {

constexpr uint32_t kBmpHeaderSize = 14 + 40;

void PutU16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value & 255));
  out.push_back(static_cast<uint8_t>((value >> 8) & 255));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  PutU16(out, value & 0xFFFF);
  PutU16(out, value >> 16);
}

// Everything the compression touches lives here, outside the frame that calls
// setjmp, so its values are well defined after a jump back and no destructor
// is skipped.
struct JpegJob {
  jpeg_compress_struct info{};
  raster::JpegErrorTrap trap{};
  unsigned char* output = nullptr;
  unsigned long output_size = 0;
  std::vector<JSAMPLE> grey_row;
};

bool Compress(const raster::Image& image, int quality, bool grey, JpegJob& job) {
  job.info.err = job.trap.Arm();
  if (setjmp(job.trap.jump)) {
    jpeg_destroy_compress(&job.info);
    return false;
  }
  jpeg_create_compress(&job.info);
  jpeg_mem_dest(&job.info, &job.output, &job.output_size);
  job.info.image_width = static_cast<JDIMENSION>(image.Width());
  job.info.image_height = static_cast<JDIMENSION>(image.Height());
  job.info.input_components = grey ? 1 : 3;
  job.info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&job.info);
  jpeg_set_quality(&job.info, std::clamp(quality, 1, 100), TRUE);
  jpeg_start_compress(&job.info, TRUE);
  const std::span<const uint8_t> pixels(image.Pixels());
  const size_t stride = static_cast<size_t>(image.Width()) * 3;
  std::vector<JSAMPLE>& grey_row = job.grey_row;
  grey_row.resize(grey ? static_cast<size_t>(image.Width()) : 0);
  while (job.info.next_scanline < job.info.image_height) {
    const auto rgb = pixels.subspan(job.info.next_scanline * stride, stride);
    // libjpeg only reads the rows it is handed; its API just lacks const.
    JSAMPROW row = const_cast<JSAMPLE*>(rgb.data());
    if (grey) {
      for (size_t x = 0; x < grey_row.size(); ++x) grey_row[x] = rgb[3 * x];
      row = grey_row.data();
    }
    jpeg_write_scanlines(&job.info, &row, 1);
  }
  jpeg_finish_compress(&job.info);
  jpeg_destroy_compress(&job.info);
  return true;
}

std::vector<uint8_t> Encode(const raster::Image& image, int quality, bool grey) {
  JpegJob job;
  std::vector<uint8_t> bytes;
  if (Compress(image, quality, grey, job) && job.output != nullptr) {
    const std::span<const uint8_t> encoded(job.output, job.output_size);
    bytes.assign(encoded.begin(), encoded.end());
  }
  std::free(job.output);
  return bytes;
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(const raster::Image& image) {
  const auto width = static_cast<uint32_t>(image.Width());
  const auto height = static_cast<uint32_t>(image.Height());
  const uint32_t row_size = (width * 3 + 3) / 4 * 4;
  const uint32_t pixel_bytes = row_size * height;
  std::vector<uint8_t> out;
  out.reserve(kBmpHeaderSize + pixel_bytes);
  out.push_back('B');
  out.push_back('M');
  PutU32(out, kBmpHeaderSize + pixel_bytes);
  PutU32(out, 0);  // two reserved words
  PutU32(out, kBmpHeaderSize);
  PutU32(out, 40);  // info header size
  PutU32(out, width);
  PutU32(out, height);  // positive: rows bottom-up
  PutU16(out, 1);       // planes
  PutU16(out, 24);      // bits per pixel
  PutU32(out, 0);       // no compression
  PutU32(out, pixel_bytes);
  PutU32(out, 2835);  // 72 dpi in pixels per metre
  PutU32(out, 2835);
  PutU32(out, 0);  // colours used
  PutU32(out, 0);  // important colours
  for (int y = image.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < image.Width(); ++x) {
      const raster::Color c = image.At(x, y);
      out.push_back(static_cast<uint8_t>(raster::BlueOf(c)));
      out.push_back(static_cast<uint8_t>(raster::GreenOf(c)));
      out.push_back(static_cast<uint8_t>(raster::RedOf(c)));
    }
    out.resize(out.size() + (row_size - width * 3), 0);
  }
  return out;
}

std::vector<uint8_t> EncodeJpeg(const raster::Image& image, int quality) {
  return Encode(image, quality, /*grey=*/false);
}

std::vector<uint8_t> EncodeGreyJpeg(const raster::Image& image, int quality) {
  return Encode(image, quality, /*grey=*/true);
}

}  // namespace hl::competition
