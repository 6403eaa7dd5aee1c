#include "fuzz/targets/log_lines.h"

#include "ranking/ranking_entries.h"

namespace hl::fuzzing {

std::vector<std::string> SplitCrLf(std::string_view text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  while (true) {
    const size_t end = text.find("\r\n");
    lines.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) return lines;
    text.remove_prefix(end + 2);
  }
}

size_t CountResultLines(std::string_view text) {
  return ranking::CollectRankingEntries(text).size();
}

}  // namespace hl::fuzzing
