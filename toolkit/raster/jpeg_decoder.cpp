// JPEG reader on libjpeg. A fatal libjpeg error jumps back through the error
// trap, so a damaged file ends in nullopt rather than in exit(). All C++
// objects with destructors live in the caller's frame, outside the jump.

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "toolkit/raster/image_files.h"
#include "toolkit/raster/jpeg_error_trap.h"

#include <jerror.h>

namespace hl::raster {
namespace {

// Warnings are tolerated (many cameras write slightly odd files), except
// those that say the picture data itself is missing or broken: libjpeg would
// pad the rest of the picture with grey and call it a success. Giving up at
// once also keeps a tiny file that announces a huge picture from costing a
// full decode of padding.
bool PictureDataBroken(int code) { return code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE; }

// Running out of data is only noted (client_data points to the note):
// libjpeg then supplies the missing end marker itself, and a file that lacks
// nothing more decodes to exactly its pixels. A cut inside scan data needs
// bits past the end, which libjpeg reports as hitting that marker.
void NoteWarning(j_common_ptr cinfo, int level) {
  if (level >= 0) return;
  if (cinfo->err->msg_code == JWRN_JPEG_EOF) *static_cast<bool*>(cinfo->client_data) = true;
  if (PictureDataBroken(cinfo->err->msg_code)) JpegErrorTrap::JumpBack(cinfo);
}

struct DecodeJob {
  std::span<const uint8_t> bytes;
  int fit_width = 0;
  int fit_height = 0;
  std::optional<Image> image;
  std::vector<uint8_t> first_row;
  std::vector<uint8_t> cmyk_row;
  bool ran_out = false;  // the data ended before its end marker
};

// Whether a file whose data ran out still held all of its scans. A file of
// several scans may be cut cleanly between two of them; a progressive one
// is whole when every coefficient was refined down to its last bit. Other
// files of several scans are not trusted.
bool AllScansPresent(const jpeg_decompress_struct& cinfo, bool single_scan) {
  if (single_scan) return true;
  if (!cinfo.progressive_mode || cinfo.coef_bits == nullptr) return false;
  for (int component = 0; component < cinfo.num_components; ++component) {
    for (int k = 0; k < DCTSIZE2; ++k) {
      if (cinfo.coef_bits[component][k] != 0) return false;
    }
  }
  return true;
}

bool SizeAcceptable(const jpeg_decompress_struct& cinfo) {
  const int64_t width = cinfo.image_width;
  const int64_t height = cinfo.image_height;
  return width >= 1 && height >= 1 && width <= Image::kMaxSide && height <= Image::kMaxSide &&
         width * height <= kMaxPicturePixels;
}

// The coarsest of libjpeg's fast reduced scales whose output still covers
// the size the caller will scale to.
void ChooseScale(jpeg_decompress_struct& cinfo, int fit_width, int fit_height) {
  if (fit_width <= 0 || fit_height <= 0) return;
  cinfo.scale_num = 1;
  for (unsigned denom : {8u, 4u, 2u, 1u}) {
    cinfo.scale_denom = denom;
    jpeg_calc_output_dimensions(&cinfo);
    if (cinfo.output_width >= static_cast<JDIMENSION>(fit_width) &&
        cinfo.output_height >= static_cast<JDIMENSION>(fit_height)) {
      return;
    }
  }
}

bool IsCmyk(J_COLOR_SPACE space) { return space == JCS_CMYK || space == JCS_YCCK; }

// Adobe writes CMYK inverted (0 means full ink); others write it plainly.
void CmykToRgb(std::span<const uint8_t> cmyk, std::span<uint8_t> rgb, bool inverted) {
  for (size_t x = 0; x < rgb.size() / 3; ++x) {
    int ink[4];
    for (size_t c = 0; c < 4; ++c) ink[c] = inverted ? cmyk[x * 4 + c] : 255 - cmyk[x * 4 + c];
    for (size_t c = 0; c < 3; ++c)
      rgb[x * 3 + c] = static_cast<uint8_t>((ink[c] * ink[3] + 127) / 255);
  }
}

// Straight into the image's rows, several a call: far fewer calls into
// libjpeg, each doing more. Nothing here has a destructor either.
bool ReadRgbRows(jpeg_decompress_struct& cinfo, std::span<uint8_t> pixels, size_t row_size) {
  constexpr JDIMENSION kRowsPerRead = 16;
  while (cinfo.output_scanline < cinfo.output_height) {
    const JDIMENSION first = cinfo.output_scanline;
    const JDIMENSION count = std::min(kRowsPerRead, cinfo.output_height - first);
    std::array<JSAMPROW, kRowsPerRead> rows{};
    for (JDIMENSION i = 0; i < count; ++i)
      rows[i] = pixels.subspan((first + i) * row_size, row_size).data();
    if (jpeg_read_scanlines(&cinfo, rows.data(), count) == 0) return false;
  }
  return true;
}

// Plain C-style body: nothing here has a destructor that the jump could skip.
bool RunDecode(jpeg_decompress_struct& cinfo, JpegErrorTrap& trap, DecodeJob& job) {
  if (setjmp(trap.jump) != 0) return false;
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, job.bytes.data(), static_cast<unsigned long>(job.bytes.size()));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK || !SizeAcceptable(cinfo)) return false;
  const bool single_scan = !cinfo.progressive_mode && cinfo.comps_in_scan == cinfo.num_components;
  const bool cmyk = IsCmyk(cinfo.jpeg_color_space);
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  ChooseScale(cinfo, job.fit_width, job.fit_height);
  // A file of several scans is read whole here, so a missing scan is
  // known before the picture is allocated.
  jpeg_start_decompress(&cinfo);
  if (job.ran_out && !AllScansPresent(cinfo, single_scan)) return false;
  if (cinfo.output_components != (cmyk ? 4 : 3)) return false;
  const size_t row_size = static_cast<size_t>(cinfo.output_width) * 3;
  // The first row is decoded before the picture is allocated: a small file
  // whose data is broken from the start fails here, without first costing
  // the memory of the large picture it announces.
  job.first_row.resize(static_cast<size_t>(cinfo.output_width) * (cmyk ? 4 : 3));
  JSAMPROW first = job.first_row.data();
  if (jpeg_read_scanlines(&cinfo, &first, 1) != 1) return false;
  job.image =
      Image::Create(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height));
  if (!job.image) return false;
  const std::span<uint8_t> pixels(job.image->Pixels());
  if (cmyk) {
    job.cmyk_row.resize(job.first_row.size());
    CmykToRgb(job.first_row, pixels.first(row_size), cinfo.saw_Adobe_marker);
  } else {
    std::copy(job.first_row.begin(), job.first_row.end(), pixels.begin());
  }
  if (!cmyk) {
    if (!ReadRgbRows(cinfo, pixels, row_size)) return false;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    const std::span<uint8_t> row = pixels.subspan(cinfo.output_scanline * row_size, row_size);
    JSAMPROW target = job.cmyk_row.data();
    if (jpeg_read_scanlines(&cinfo, &target, 1) != 1) return false;
    CmykToRgb(job.cmyk_row, row, cinfo.saw_Adobe_marker);
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

}  // namespace

std::optional<Image> DecodeJpeg(std::span<const uint8_t> bytes, int fit_width, int fit_height) {
  if (bytes.empty()) return std::nullopt;
  jpeg_decompress_struct cinfo{};
  JpegErrorTrap trap{};
  cinfo.err = trap.Arm();
  trap.manager.emit_message = NoteWarning;
  DecodeJob job{bytes, fit_width, fit_height, std::nullopt, {}, {}, false};
  cinfo.client_data = &job.ran_out;
  const bool decoded = RunDecode(cinfo, trap, job);
  jpeg_destroy_decompress(&cinfo);
  if (!decoded) return std::nullopt;
  return std::move(job.image);
}

}  // namespace hl::raster
