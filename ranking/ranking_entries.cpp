#include "ranking/ranking_entries.h"

#include <algorithm>

#include "toolkit/text/text.h"

namespace hl::ranking {
namespace {

constexpr const char* kNewLine = "\r\n";  // ends every line of a report

}  // namespace

namespace {

constexpr std::string_view kResultMark = "1.:";

// Only a mark that opens its line (after any spaces) is a result line. The
// report repeats text the entrant chose, such as the driver and car names, in
// the middle of lines; a driver called "x1.: 0001 Me" must not add a winner.
bool OpensLine(std::string_view report, int64_t found) {
  auto before = static_cast<size_t>(found - 1);
  while (before > 0 && report[before - 1] == ' ') --before;
  return before == 0 || report[before - 1] == '\n';
}

}  // namespace

std::string RankingEntryText(std::string_view result) {
  std::string entry = text::TrimSpaces(result);
  // Only digits: a time typed over by hand ("DNF") keeps what was typed.
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (entry.size() >= 4 && entry[3] == ' ' &&
      std::all_of(entry.begin(), entry.begin() + 3, digit)) {
    entry.insert(entry.begin(), '0');
  }
  return entry;
}

std::vector<std::string> CollectRankingEntries(std::string_view report) {
  std::vector<std::string> entries;
  const int64_t length = text::TextLength(report);
  int64_t p = 1;
  while (p <= length) {
    const int64_t f = text::FindText(report, kResultMark, p);
    // Neither a later mark nor a later line end can turn up once a search
    // has failed, so stopping here gives what stepping on one byte at a time
    // would, without rescanning the rest of a long report for every byte.
    if (f == 0) break;
    if (!OpensLine(report, f)) {
      p = f + 1;
      continue;
    }
    const int64_t e = text::FindText(report, kNewLine, f);
    if (e == 0) break;
    const int64_t start = f + static_cast<int64_t>(kResultMark.size());
    entries.push_back(RankingEntryText(text::MiddlePart(report, start, e - start)));
    p = f + 4;
  }
  return entries;
}

std::string RankingBlock(const std::vector<std::string>& descending) {
  std::string block;
  int64_t number = 1;
  for (auto entry = descending.rbegin(); entry != descending.rend(); ++entry, ++number) {
    block += text::FormatInteger(number) + " - " + *entry + kNewLine;
  }
  return block;
}

}  // namespace hl::ranking
