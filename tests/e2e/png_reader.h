#pragma once
// Just enough of a PNG reader to check what the tool writes: the chunk
// sequence, the size, and the pixels of 8-bit RGB images whose rows all use
// filter None (which is how the tool writes them).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/raster/color.h"

namespace hl::testing {

struct PngContent {
  std::vector<std::string> chunks;  // chunk types in file order
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // empty unless the rows could be unpacked

  raster::Color At(int x, int y) const;
};

// nullopt when the signature, a chunk or the IHDR is broken.
std::optional<PngContent> ReadPng(const std::string& bytes);

}  // namespace hl::testing
