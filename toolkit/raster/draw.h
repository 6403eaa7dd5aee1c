#pragma once
// Drawing primitives. Each takes its target image and clips: pixels outside
// the image are not drawn and nothing fails.

#include <optional>
#include <string_view>

#include "toolkit/raster/color.h"
#include "toolkit/raster/font.h"
#include "toolkit/raster/image.h"

namespace hl::raster {

void Plot(Image& image, int x, int y, Color color);
// Fills x .. x + width - 1, y .. y + height - 1; a width or height of 0 or
// below paints nothing.
void Box(Image& image, int x, int y, int width, int height, Color color);
// Eight-connected line with both end points drawn.
void Line(Image& image, int x1, int y1, int x2, int y2, Color color);
// Line from (x, y) toward (x + dx, y + dy), the end point left out.
void LineBy(Image& image, int x, int y, int dx, int dy, Color color);
// Text with the top-left corner of its cell at (x, y). With a background the
// cell (advance width x line height) is filled first; without one only the
// glyph pixels change. An empty text draws nothing.
void DrawText(Image& image, const Font& font, int x, int y, std::string_view utf8, Color front,
              std::optional<Color> background);
// Four-connected fill from (x, y). With a border colour every reachable pixel
// not of that colour is painted; with none, every reachable pixel of the
// start pixel's colour.
void FloodFill(Image& image, int x, int y, std::optional<Color> border, Color fill);
// The top-left width x height part of `source` with its corner at (x, y).
void DrawImage(Image& target, int x, int y, const Image& source, int width, int height);

}  // namespace hl::raster
