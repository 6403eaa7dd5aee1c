#include "toolkit/text/utf8.h"

namespace hl::text {
namespace {

struct LeadByte {
  int length;         // bytes in the sequence
  char32_t bits;      // payload of the lead byte
  char32_t smallest;  // below this the sequence is overlong
};

constexpr LeadByte Classify(unsigned char byte) {
  if (byte < 0x80) return {1, byte, 0};
  if ((byte & 0xE0) == 0xC0) return {2, byte & 0x1Fu, 0x80};
  if ((byte & 0xF0) == 0xE0) return {3, byte & 0x0Fu, 0x800};
  if ((byte & 0xF8) == 0xF0) return {4, byte & 0x07u, 0x10000};
  return {0, 0, 0};
}

}  // namespace

char32_t NextCodePoint(std::string_view text, size_t& position) {
  const LeadByte lead = Classify(static_cast<unsigned char>(text[position]));
  if (lead.length == 0 || position + static_cast<size_t>(lead.length) > text.size()) {
    ++position;
    return kReplacementCharacter;
  }
  char32_t code = lead.bits;
  for (int i = 1; i < lead.length; ++i) {
    const auto next = static_cast<unsigned char>(text[position + static_cast<size_t>(i)]);
    if ((next & 0xC0) != 0x80) {
      ++position;
      return kReplacementCharacter;
    }
    code = (code << 6) | (next & 0x3Fu);
  }
  if (code < lead.smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    ++position;
    return kReplacementCharacter;
  }
  position += static_cast<size_t>(lead.length);
  return code;
}

void AppendUtf8(std::string& text, char32_t code) {
  const auto byte = [&text](char32_t value) { text += static_cast<char>(value); };
  if (code < 0x80) {
    byte(code);
  } else if (code < 0x800) {
    byte(0xC0 | (code >> 6));
    byte(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    byte(0xE0 | (code >> 12));
    byte(0x80 | ((code >> 6) & 0x3F));
    byte(0x80 | (code & 0x3F));
  } else {
    byte(0xF0 | (code >> 18));
    byte(0x80 | ((code >> 12) & 0x3F));
    byte(0x80 | ((code >> 6) & 0x3F));
    byte(0x80 | (code & 0x3F));
  }
}

std::string ValidUtf8(std::string_view text) {
  std::string valid;
  valid.reserve(text.size());
  size_t position = 0;
  while (position < text.size()) AppendUtf8(valid, NextCodePoint(text, position));
  return valid;
}

}  // namespace hl::text
