#include <algorithm>

#include "toolkit/text/text.h"

namespace hl::text {
namespace {

// Clamps a signed count into [0, limit].
size_t ClampCount(int64_t count, size_t limit) {
  if (count <= 0) return 0;
  return static_cast<uint64_t>(count) >= limit ? limit : static_cast<size_t>(count);
}

}  // namespace

bool TextEquals(std::string_view a, std::string_view b) { return a == b; }

int64_t TextLength(std::string_view text) { return static_cast<int64_t>(text.size()); }

std::string TrimSpaces(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string LeadingPart(std::string_view text, int64_t count) {
  return std::string(text.substr(0, ClampCount(count, text.size())));
}

std::string TrailingPart(std::string_view text, int64_t count) {
  const size_t kept = ClampCount(count, text.size());
  return std::string(text.substr(text.size() - kept));
}

std::string MiddlePart(std::string_view text, int64_t start, int64_t count) {
  const int64_t first = std::max<int64_t>(start, 1);
  if (first > TextLength(text)) return {};
  const auto offset = static_cast<size_t>(first - 1);
  return std::string(text.substr(offset, ClampCount(count, text.size() - offset)));
}

std::string LowerCase(std::string_view text) {
  // Latin-1 capitals U+00C0..U+00DE are C3 80..C3 9E in UTF-8 and their small
  // letters sit 0x20 higher in the same second byte.
  constexpr unsigned char kLatin1Lead = 0xC3;
  std::string lower(text);
  for (size_t i = 0; i < lower.size(); ++i) {
    const auto byte = static_cast<unsigned char>(lower[i]);
    if (byte >= 'A' && byte <= 'Z') {
      lower[i] = static_cast<char>(byte + 32);
    } else if (byte == kLatin1Lead && i + 1 < lower.size()) {
      const auto next = static_cast<unsigned char>(lower[i + 1]);
      if (next >= 0x80 && next <= 0x9E) lower[++i] = static_cast<char>(next + 0x20);
    }
  }
  return lower;
}

int64_t FindText(std::string_view text, std::string_view sought, int64_t start) {
  if (text.empty() || sought.empty()) return 0;
  const int64_t first = std::max<int64_t>(start, 1);
  if (first > TextLength(text)) return 0;
  const size_t found = text.find(sought, static_cast<size_t>(first - 1));
  return found == std::string_view::npos ? 0 : static_cast<int64_t>(found) + 1;
}

std::string ReplaceAll(std::string_view text, std::string_view sought,
                       std::string_view replacement) {
  if (sought.empty()) return std::string(text);
  std::string result;
  result.reserve(text.size());
  size_t copied = 0;
  for (size_t found = text.find(sought); found != std::string_view::npos;
       found = text.find(sought, copied)) {
    result.append(text.substr(copied, found - copied));
    result.append(replacement);
    copied = found + sought.size();
  }
  result.append(text.substr(copied));
  return result;
}

std::string FieldAt(std::string_view text, int64_t index, std::string_view separator) {
  if (separator.empty()) return index <= 1 ? std::string(text) : std::string();
  const char divider = separator.front();
  size_t field_start = 0;
  for (int64_t field = 1; field < index; ++field) {
    const size_t next = text.find(divider, field_start);
    if (next == std::string_view::npos) return {};
    field_start = next + 1;
  }
  const size_t field_end = text.find(divider, field_start);
  return std::string(text.substr(field_start, field_end == std::string_view::npos
                                                  ? std::string_view::npos
                                                  : field_end - field_start));
}

}  // namespace hl::text
