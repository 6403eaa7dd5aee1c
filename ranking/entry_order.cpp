#include "ranking/entry_order.h"

#include <algorithm>

#include "record/rules.h"
#include "toolkit/text/text.h"

namespace hl::ranking {

namespace {

unsigned char FoldAscii(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

}  // namespace

std::string EntryTimeText(std::string_view entry) { return text::FieldAt(entry, 1, " "); }

bool HasEntryTime(std::string_view entry) {
  const std::string time = EntryTimeText(entry);
  size_t at = time.find_first_not_of('\t');
  if (at != std::string::npos && (time[at] == '-' || time[at] == '+')) ++at;
  return at < time.size() && std::all_of(time.begin() + static_cast<std::ptrdiff_t>(at), time.end(),
                                         [](char c) { return c >= '0' && c <= '9'; });
}

int64_t EntryTime(std::string_view entry) {
  if (!HasEntryTime(entry)) return record::kNoTime;
  return text::ParseInteger(EntryTimeText(entry));
}

bool FoldedLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return FoldAscii(x) < FoldAscii(y); });
}

bool EntryLess(const std::string& a, const std::string& b) {
  const bool timed_a = HasEntryTime(a);
  if (timed_a != HasEntryTime(b)) return timed_a;
  const int64_t time_a = EntryTime(a);
  const int64_t time_b = EntryTime(b);
  if (time_a != time_b) return time_a < time_b;
  return FoldedLess(a, b);
}

std::vector<size_t> PlaceOrder(const std::vector<std::string>& entries) {
  std::vector<size_t> order(entries.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&entries](size_t a, size_t b) { return EntryLess(entries[b], entries[a]); });
  std::reverse(order.begin(), order.end());
  return order;
}

}  // namespace hl::ranking
