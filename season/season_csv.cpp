#include "publish/csv_cells.h"
#include "season/season_outputs.h"

namespace hl::season {

using publish::CsvText;
using publish::CsvValue;

std::string SeasonCsv(const Season& season, const std::vector<DriverStanding>& standings) {
  std::vector<publish::CsvCell> header = {CsvText("place"), CsvText("driver"), CsvText("points")};
  for (const SeasonCompetition& competition : season.competitions)
    header.push_back(CsvText(competition.folder));
  std::string csv = publish::CsvRow(header);
  for (const DriverStanding& standing : standings) {
    std::vector<publish::CsvCell> cells = {CsvValue(std::to_string(standing.place)),
                                           CsvText(standing.driver),
                                           CsvValue(std::to_string(standing.points))};
    for (const DriverResult& result : standing.results)
      cells.push_back(CsvValue(result.place ? std::to_string(*result.place) : ""));
    csv += publish::CsvRow(cells);
  }
  return csv;
}

}  // namespace hl::season
