#pragma once
// Encodes test pictures as JPEG with libjpeg, in memory.

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "toolkit/raster/jpeg_error_trap.h"

namespace hl::raster::testing {

using Channels = std::function<uint32_t(int, int)>;

// What the encoding touches lives here, outside the frame that calls setjmp.
struct TestJpegJob {
  jpeg_compress_struct cinfo{};
  JpegErrorTrap trap{};
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  std::vector<uint8_t> row;
  bool progressive = false;
};

inline bool CompressTestJpeg(TestJpegJob& job, int width, int height, J_COLOR_SPACE space,
                             const Channels& channels) {
  jpeg_compress_struct& cinfo = job.cinfo;
  if (setjmp(job.trap.jump) != 0) return false;
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &job.buffer, &job.size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = space == JCS_GRAYSCALE ? 1 : space == JCS_CMYK ? 4 : 3;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  if (job.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  for (int y = 0; y < height; ++y) {
    job.row.clear();
    for (int x = 0; x < width; ++x) {
      const uint32_t packed = channels(x, y);
      for (int c = 0; c < cinfo.input_components; ++c)
        job.row.push_back(static_cast<uint8_t>(packed >> (8 * c)));
    }
    JSAMPROW pointer = job.row.data();
    jpeg_write_scanlines(&cinfo, &pointer, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

// channels(x, y) packs the samples from the low byte up: R, G, B for RGB
// (a Color), the grey level for greyscale, C, M, Y, K for CMYK. libjpeg
// marks CMYK files as Adobe's, whose values are inverted (255 = no ink).
// Empty when libjpeg refuses the picture.
inline std::vector<uint8_t> EncodeTestJpeg(int width, int height, J_COLOR_SPACE space,
                                           const Channels& channels, bool progressive = false) {
  TestJpegJob job;
  job.progressive = progressive;
  job.cinfo.err = job.trap.Arm();
  const bool encoded = CompressTestJpeg(job, width, height, space, channels);
  jpeg_destroy_compress(&job.cinfo);
  std::vector<uint8_t> bytes;
  if (encoded) bytes.assign(job.buffer, job.buffer + job.size);
  free(job.buffer);
  return bytes;
}

}  // namespace hl::raster::testing
