#include <cstddef>
#include <cstdint>

#include "toolkit/raster/draw.h"
#include "toolkit/raster/font_impl.h"
#include "toolkit/text/utf8.h"

namespace hl::raster {
namespace {

// Pen positions are summed advances, so they are kept wide: text placed
// near the edge of the int range must clip, not overflow.
void PlotWide(Image& image, int64_t x, int64_t y, Color color) {
  if (x >= 0 && y >= 0 && x < image.Width() && y < image.Height()) {
    image.Set(static_cast<int>(x), static_cast<int>(y), color);
  }
}

}  // namespace

void DrawText(Image& image, const Font& font, int x, int y, std::string_view utf8, Color front,
              std::optional<Color> background) {
  if (utf8.empty()) return;
  if (background) Box(image, x, y, font.TextWidth(utf8), font.LineHeight(), *background);
  Font::Impl& impl = font.impl();
  const int64_t baseline = int64_t{y} + font.Ascent();
  int64_t pen = x;
  for (size_t position = 0; position < utf8.size();) {
    const Glyph& glyph = impl.GlyphFor(text::NextCodePoint(utf8, position));
    for (const Glyph::Dot dot : glyph.dots) PlotWide(image, pen + dot.dx, baseline + dot.dy, front);
    pen += glyph.advance;
  }
}

}  // namespace hl::raster
