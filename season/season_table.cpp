#include <algorithm>
#include <string_view>

#include "season/season_outputs.h"
#include "toolkit/text/utf8.h"

namespace hl::season {
namespace {

size_t Width(std::string_view text) {
  size_t count = 0;
  for (size_t at = 0; at < text.size(); ++count) text::NextCodePoint(text, at);
  return count;
}

void Cell(std::string& line, const std::string& text, size_t width, bool right) {
  const std::string padding(width - std::min(width, Width(text)), ' ');
  if (!line.empty()) line += "  ";
  line += right ? padding + text : text + padding;
}

}  // namespace

std::string StandingsText(const Season& season, const std::vector<DriverStanding>& standings) {
  std::vector<std::string> header = {"Place", "Driver", "Points"};
  for (const SeasonCompetition& competition : season.competitions)
    header.push_back(competition.folder);
  std::vector<std::vector<std::string>> rows;
  for (const DriverStanding& standing : standings) {
    std::vector<std::string> row = {std::to_string(standing.place),
                                    text::ValidUtf8(standing.driver),
                                    std::to_string(standing.points)};
    for (const DriverResult& result : standing.results)
      row.push_back(result.place ? std::to_string(*result.place) : "-");
    rows.push_back(std::move(row));
  }
  std::vector<size_t> widths;
  for (const std::string& title : header) widths.push_back(Width(title));
  for (const auto& row : rows) {
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], Width(row[i]));
  }

  std::string text = season.title.empty() ? "" : text::ValidUtf8(season.title) + "\n\n";
  rows.insert(rows.begin(), header);
  for (const auto& row : rows) {
    std::string line;
    // Only the driver column reads left to right; numbers line up on the right.
    for (size_t i = 0; i < row.size(); ++i) Cell(line, row[i], widths[i], i != 1);
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\n";
  }
  return text;
}

}  // namespace hl::season
