#pragma once
// Code points of UTF-8 text for the glyph renderer.

#include <cstddef>
#include <string_view>

namespace hl::raster {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// The code point starting at `position`, which is moved past it. A malformed
// or truncated sequence yields U+FFFD and skips one byte, so decoding always
// advances and never reads past the text.
char32_t NextCodePoint(std::string_view text, size_t& position);

}  // namespace hl::raster
