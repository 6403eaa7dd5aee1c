#pragma once
// What a season run prints and writes: the standings as a text table, as
// JSON and as CSV, and the page that links the rounds' results pages.

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "season/season_file.h"
#include "season/standings.h"

namespace hl::season {

inline constexpr int kSeasonFormatVersion = 1;

// The title, then one row per driver: place, driver, points, then each
// competition's place or "-".
std::string StandingsText(const Season& season, const std::vector<DriverStanding>& standings);

nlohmann::ordered_json SeasonJson(const Season& season,
                                  const std::vector<CompetitionOutcome>& outcomes,
                                  const std::vector<DriverStanding>& standings);

// RFC 4180, CR LF: place, driver, points, then one column per competition
// folder holding the driver's place there (empty when none).
std::string SeasonCsv(const Season& season, const std::vector<DriverStanding>& standings);

// season.html: the standings, each competition linked to its results page
// at `page_links[i]` (relative to the page; "" when it has none).
std::string SeasonPage(const Season& season, const std::vector<CompetitionOutcome>& outcomes,
                       const std::vector<DriverStanding>& standings,
                       const std::vector<std::string>& page_links);

}  // namespace hl::season
