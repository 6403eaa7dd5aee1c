#pragma once
// Encodes test pictures as JPEG with libjpeg, in memory.

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include <jpeglib.h>

namespace hl::raster::testing {

// channels(x, y) packs the samples from the low byte up: R, G, B for RGB
// (a Color), the grey level for greyscale, C, M, Y, K for CMYK. libjpeg
// marks CMYK files as Adobe's, whose values are inverted (255 = no ink).
inline std::vector<uint8_t> EncodeTestJpeg(int width, int height, J_COLOR_SPACE space,
                                           const std::function<uint32_t(int, int)>& channels) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = space == JCS_GRAYSCALE ? 1 : space == JCS_CMYK ? 4 : 3;
  cinfo.in_color_space = space;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<uint8_t> row;
  for (int y = 0; y < height; ++y) {
    row.clear();
    for (int x = 0; x < width; ++x) {
      const uint32_t packed = channels(x, y);
      for (int c = 0; c < cinfo.input_components; ++c) row.push_back(static_cast<uint8_t>(packed >> (8 * c)));
    }
    JSAMPROW pointer = row.data();
    jpeg_write_scanlines(&cinfo, &pointer, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<uint8_t> bytes(buffer, buffer + size);
  free(buffer);
  return bytes;
}

}  // namespace hl::raster::testing
