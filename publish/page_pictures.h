#pragma once
// How the results page's pictures are stored. A screen shot is a photograph
// of the game, so it goes to the page as a JPEG of the picture the window
// shows: a tenth of the bytes of a PNG, and only its pixels, never anything
// else the entrant's file held.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "toolkit/raster/image.h"

namespace hl::publish {

inline constexpr const char* kScreenPictureName = "screen.jpg";

// The pixels as the window shows them, as a JPEG.
std::optional<std::vector<uint8_t>> EncodeScreenPicture(const raster::Image& picture);

struct PictureSize {
  int width = 0;
  int height = 0;
};

// The size a PNG file states in its header; nullopt when it is no PNG.
std::optional<PictureSize> PngSize(std::span<const uint8_t> png);

}  // namespace hl::publish
