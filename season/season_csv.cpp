#include "publish/results_csv.h"
#include "season/season_outputs.h"

namespace hl::season {
namespace {

constexpr const char* kRowEnd = "\r\n";

std::string Row(const std::vector<std::string>& fields) {
  std::string row;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) row += ',';
    row += publish::CsvField(fields[i]);
  }
  return row + kRowEnd;
}

}  // namespace

std::string SeasonCsv(const Season& season, const std::vector<DriverStanding>& standings) {
  std::vector<std::string> header = {"place", "driver", "points"};
  for (const SeasonCompetition& competition : season.competitions)
    header.push_back(competition.folder);
  std::string csv = Row(header);
  for (const DriverStanding& standing : standings) {
    std::vector<std::string> fields = {std::to_string(standing.place), standing.driver,
                                       std::to_string(standing.points)};
    for (const DriverResult& result : standing.results)
      fields.push_back(result.place ? std::to_string(*result.place) : "");
    csv += Row(fields);
  }
  return csv;
}

}  // namespace hl::season
