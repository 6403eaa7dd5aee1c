#pragma once
// Takes a batch run's printed report apart into what a test needs to see
// whether every entry folder was accounted for.

#include <string>
#include <vector>

namespace hl::testing {

struct ReportAccount {
  std::vector<std::string> ranking;  // the numbered lines before the first empty line
  std::string car_part;              // the lines before the first separator
  // The log of each entry: the lines between one separator line and the next.
  std::vector<std::vector<std::string>> entries;
  std::vector<std::string> result_lines;  // "1.: ..." lines in the order they stand
};

// `report` as printed by a batch run (LF line ends).
ReportAccount AccountFor(const std::string& report);

// True when the entry's log says its track file is missing or unusable.
bool ReportsTrackProblem(const std::vector<std::string>& entry_log);

}  // namespace hl::testing
