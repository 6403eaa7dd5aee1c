#include "evaluation/fingerprint_names.h"

#include <algorithm>
#include <cstdio>

#include "toolkit/text/utf8.h"

namespace hl::evaluation {
namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

bool StartsByteEscape(std::string_view text, size_t at) {
  return at + 3 < text.size() && text[at] == '\\' && text[at + 1] == 'x' &&
         IsHexDigit(text[at + 2]) && IsHexDigit(text[at + 3]);
}

bool IsStrayByte(std::string_view text, size_t at) {
  size_t next = at;
  return text::NextCodePoint(text, next) == text::kReplacementCharacter && next == at + 1;
}

// A backslash of a name that a reader would take for the start of an escape:
// followed by another backslash, by "xHH", or by a byte that becomes \xHH.
bool NeedsDoubling(std::string_view name, size_t at) {
  const std::string_view rest = name.substr(at + 1);
  if (rest.empty()) return false;
  return rest[0] == '\\' || IsStrayByte(rest, 0) ||
         (rest.size() >= 3 && rest[0] == 'x' && IsHexDigit(rest[1]) && IsHexDigit(rest[2]));
}

int HexValue(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }

}  // namespace

std::string FingerprintKey(std::string_view name) {
  std::string key;
  size_t position = 0;
  while (position < name.size()) {
    const size_t start = position;
    text::NextCodePoint(name, position);
    if (position == start + 1 && IsStrayByte(name, start)) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(name[start]));
      key += escape;
    } else {
      if (name[start] == '\\' && NeedsDoubling(name, start)) key += '\\';
      key += name.substr(start, position - start);
    }
  }
  return key;
}

std::string FileNameOfKey(std::string_view key) {
  std::string name;
  for (size_t at = 0; at < key.size(); ++at) {
    if (StartsByteEscape(key, at)) {
      name += static_cast<char>(HexValue(key[at + 2]) * 16 + HexValue(key[at + 3]));
      at += 3;
    } else {
      name += key[at];
      if (key.substr(at).starts_with("\\\\")) ++at;
    }
  }
  return name;
}

bool HoldsControlCharacter(std::string_view key) {
  return std::any_of(key.begin(), key.end(), IsControl);
}

std::string BasicStringKey(std::string_view key) {
  std::string quoted = "\"";
  for (const char c : key) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (IsControl(c)) {
      char escape[7];
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned char>(c));
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

}  // namespace hl::evaluation
