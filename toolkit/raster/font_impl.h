#pragma once
// The FreeType side of Font, shared by the font loader and the text drawer.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "toolkit/raster/font.h"

namespace hl::raster {

// A rendered glyph as the offsets of its set pixels from the pen position
// on the baseline; drawing it is then a plain loop over dots.
struct Glyph {
  struct Dot {
    int16_t dx;
    int16_t dy;
  };
  int advance = 0;
  std::vector<Dot> dots;
};

struct Font::Impl {
  Impl() = default;
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;
  ~Impl();

  // Renders on first use and keeps the result: the tool draws the same few
  // short labels over and over.
  const Glyph& GlyphFor(char32_t code);

  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int line_height = 0;
  int ascent = 0;
  std::unordered_map<char32_t, Glyph> glyphs;
};

}  // namespace hl::raster
