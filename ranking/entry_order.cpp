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

namespace {

// What the order compares first, read from the entry's text once.
struct TimeKey {
  bool timed = false;
  int64_t time = record::kNoTime;
};

TimeKey KeyOf(std::string_view entry) {
  if (!HasEntryTime(entry)) return {};
  return {.timed = true, .time = text::ParseInteger(EntryTimeText(entry))};
}

bool KeyedLess(const TimeKey& key_a, std::string_view a, const TimeKey& key_b, std::string_view b) {
  if (key_a.timed != key_b.timed) return key_a.timed;
  if (key_a.time != key_b.time) return key_a.time < key_b.time;
  return FoldedLess(a, b);
}

}  // namespace

int64_t EntryTime(std::string_view entry) { return KeyOf(entry).time; }

bool FoldedLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return FoldAscii(x) < FoldAscii(y); });
}

bool EntryLess(const std::string& a, const std::string& b) {
  return KeyedLess(KeyOf(a), a, KeyOf(b), b);
}

std::vector<size_t> PlaceOrder(const std::vector<std::string>& entries) {
  // Thousands of entries are compared many times each: their times are
  // read once.
  std::vector<TimeKey> keys;
  keys.reserve(entries.size());
  for (const std::string& entry : entries) keys.push_back(KeyOf(entry));
  std::vector<size_t> order(entries.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return KeyedLess(keys[b], entries[b], keys[a], entries[a]);
  });
  std::reverse(order.begin(), order.end());
  return order;
}

}  // namespace hl::ranking
