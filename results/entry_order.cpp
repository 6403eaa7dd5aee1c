#include "results/entry_order.h"

#include <algorithm>

#include "toolkit/text/text.h"

namespace hl::results {

namespace {

unsigned char FoldAscii(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

}  // namespace

std::string EntryTimeText(std::string_view entry) { return text::FieldAt(entry, 1, " "); }

int64_t EntryTime(std::string_view entry) { return text::ParseInteger(EntryTimeText(entry)); }

bool FoldedLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(
      a.begin(), a.end(), b.begin(), b.end(),
      [](char x, char y) { return FoldAscii(x) < FoldAscii(y); });
}

bool EntryLess(const std::string& a, const std::string& b) {
  const int64_t time_a = EntryTime(a);
  const int64_t time_b = EntryTime(b);
  if (time_a != time_b) return time_a < time_b;
  return FoldedLess(a, b);
}

void SortEntries(state::TextList& list, bool descending) { list.SortStable(EntryLess, descending); }

}  // namespace hl::results
