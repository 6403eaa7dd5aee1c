#pragma once
// Checks a batch run's results files against the report printed by the same
// run: the JSON ranking is the report's ranking block entry for entry, the
// CSV holds the same rows, and every entry's facts are what its log says.

#include <string>
#include <vector>

namespace hl::testing {

// RFC 4180: quoted fields may hold commas, quotes and line breaks; rows end
// with CR LF.
std::vector<std::vector<std::string>> ParseCsv(const std::string& csv);

// `report` as printed (LF line ends).
void ExpectResultsMatchReport(const std::string& report, const std::string& json_text,
                              const std::string& csv_text);

}  // namespace hl::testing
