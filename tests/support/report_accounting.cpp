#include "tests/support/report_accounting.h"

#include <sstream>

namespace hl::testing {

namespace {

// A line of 51 hyphens closes every entry's log; the next log's first line,
// a single space, is joined to it.
bool IsSeparator(std::string line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line == std::string(51, '-');
}

}  // namespace

ReportAccount AccountFor(const std::string& report) {
  ReportAccount account;
  std::istringstream in(report);
  std::string line;
  bool in_ranking = true;
  int separators = 0;
  while (std::getline(in, line)) {
    if (in_ranking) {
      if (line.empty()) {
        in_ranking = false;
      } else {
        account.ranking.push_back(line);
      }
      continue;
    }
    if (IsSeparator(line)) {
      ++separators;
      account.entries.emplace_back();  // the log of the next entry starts
      continue;
    }
    if (line.starts_with("1.: ")) account.result_lines.push_back(line);
    if (separators == 0) {
      account.car_part += line + "\n";
    } else {
      account.entries.back().push_back(line);
    }
  }
  // The last separator closes the last entry; nothing follows it.
  if (!account.entries.empty()) account.entries.pop_back();
  return account;
}

bool ReportsTrackProblem(const std::vector<std::string>& entry_log) {
  for (const std::string& line : entry_log) {
    if (line.starts_with("Track ") || line.starts_with("kein Track")) return true;
  }
  return false;
}

}  // namespace hl::testing
