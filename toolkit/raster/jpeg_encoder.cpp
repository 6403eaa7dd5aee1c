#include <algorithm>
#include <cstdlib>
#include <span>

#include "toolkit/raster/image_files.h"
#include "toolkit/raster/jpeg_error_trap.h"

namespace hl::raster {
namespace {

// Everything the compression touches lives here, outside the frame that
// calls setjmp, so its values are well defined after a jump back and no
// destructor is skipped.
struct CompressJob {
  jpeg_compress_struct info{};
  JpegErrorTrap trap{};
  unsigned char* output = nullptr;
  unsigned long output_size = 0;
};

bool Compress(const Image& image, int quality, CompressJob& job) {
  job.info.err = job.trap.Arm();
  if (setjmp(job.trap.jump)) {
    jpeg_destroy_compress(&job.info);
    return false;
  }
  jpeg_create_compress(&job.info);
  jpeg_mem_dest(&job.info, &job.output, &job.output_size);
  job.info.image_width = static_cast<JDIMENSION>(image.Width());
  job.info.image_height = static_cast<JDIMENSION>(image.Height());
  job.info.input_components = 3;
  job.info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&job.info);
  jpeg_set_quality(&job.info, std::clamp(quality, 1, 100), TRUE);
  // Huffman tables fitted to the picture: a tenth smaller for little work.
  job.info.optimize_coding = TRUE;
  jpeg_start_compress(&job.info, TRUE);
  const std::span<const uint8_t> pixels(image.Pixels());
  const size_t stride = static_cast<size_t>(image.Width()) * 3;
  while (job.info.next_scanline < job.info.image_height) {
    const auto rgb = pixels.subspan(job.info.next_scanline * stride, stride);
    // libjpeg only reads the rows it is handed; its API just lacks const.
    JSAMPROW row = const_cast<JSAMPLE*>(rgb.data());
    jpeg_write_scanlines(&job.info, &row, 1);
  }
  jpeg_finish_compress(&job.info);
  jpeg_destroy_compress(&job.info);
  return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> EncodeJpeg(const Image& image, int quality) {
  CompressJob job;
  std::optional<std::vector<uint8_t>> bytes;
  if (Compress(image, quality, job) && job.output != nullptr) {
    const std::span<const uint8_t> encoded(job.output, job.output_size);
    bytes.emplace(encoded.begin(), encoded.end());
  }
  std::free(job.output);
  return bytes;
}

}  // namespace hl::raster
