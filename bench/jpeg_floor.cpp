#include "bench/jpeg_floor.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "toolkit/raster/jpeg_error_trap.h"

namespace hl::bench {
namespace {

using raster::JpegErrorTrap;

// Nothing with a destructor lives in this frame, so the jump skips none.
bool RunDecode(jpeg_decompress_struct& cinfo, JpegErrorTrap& trap, std::span<const uint8_t> bytes,
               std::vector<uint8_t>& pixels) {
  if (setjmp(trap.jump) != 0) return false;
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) return false;
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  const size_t row_size = static_cast<size_t>(cinfo.output_width) * 3;
  pixels.resize(row_size * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels.data() + cinfo.output_scanline * row_size;
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) return false;
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

bool EndsInJpg(const std::string& name) {
  if (name.size() < 3) return false;
  std::string tail = name.substr(name.size() - 3);
  std::transform(tail.begin(), tail.end(), tail.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return tail == "jpg";
}

std::vector<std::filesystem::path> SortedChildren(const std::filesystem::path& folder) {
  std::error_code ec;
  std::vector<std::filesystem::path> children;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    children.push_back(entry.path());
  }
  std::sort(children.begin(), children.end());
  return children;
}

}  // namespace

bool DecodeJpegFullSize(std::span<const uint8_t> bytes, std::vector<uint8_t>& pixels) {
  jpeg_decompress_struct cinfo{};
  JpegErrorTrap trap{};
  cinfo.err = trap.Arm();
  const bool decoded = RunDecode(cinfo, trap, bytes, pixels);
  jpeg_destroy_decompress(&cinfo);
  return decoded;
}

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> ScreenJpegPaths(const std::string& base_dir) {
  std::vector<std::string> paths;
  for (const auto& entry : SortedChildren(base_dir)) {
    if (!std::filesystem::is_directory(entry)) continue;
    for (const auto& file : SortedChildren(entry)) {
      if (std::filesystem::is_regular_file(file) && EndsInJpg(file.filename().string())) {
        paths.push_back(file.string());
      }
    }
  }
  return paths;
}

}  // namespace hl::bench
