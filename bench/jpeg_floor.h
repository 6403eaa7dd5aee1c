#pragma once
// The floor every evaluation is measured against: decoding a screen picture
// at full size with plain libjpeg, no scaling, no conversion beyond RGB.
// Whatever the tool does per entry beyond this is its own overhead.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace hl::bench {

// Decodes into `pixels` (resized to width x height x 3); false on a damaged
// picture.
bool DecodeJpegFullSize(std::span<const uint8_t> bytes, std::vector<uint8_t>& pixels);

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path);

// The JPEG screen pictures of a competition: every file in an entry folder
// whose name ends in "jpg" in any letter case, entry folders in name order.
std::vector<std::string> ScreenJpegPaths(const std::string& base_dir);

}  // namespace hl::bench
