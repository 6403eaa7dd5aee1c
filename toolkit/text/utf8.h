#pragma once
// Code points of UTF-8 text: for the glyph renderer, and for making text
// that came from file names safe for formats that must be valid UTF-8.

#include <cstddef>
#include <string>
#include <string_view>

namespace hl::text {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// The code point starting at `position`, which is moved past it. A malformed
// or truncated sequence yields U+FFFD and skips one byte, so decoding always
// advances and never reads past the text.
char32_t NextCodePoint(std::string_view text, size_t& position);

void AppendUtf8(std::string& text, char32_t code);
// The text with every malformed sequence replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);

}  // namespace hl::text
