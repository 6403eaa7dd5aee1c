#pragma once
// The season table: every round's ranking turned into points, drivers
// matched across rounds by name, and the drivers ordered by points with
// countback.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "record/competition_record.h"
#include "season/season_file.h"

namespace hl::season {

// One competition as the season run left it.
struct CompetitionOutcome {
  std::optional<record::CompetitionRecord> record;  // absent when it could not be evaluated
  std::string error;                                // why, when it failed
};

struct DriverResult {
  std::optional<int64_t> place;  // absent when the driver had no ranked entry
  int64_t points = 0;
};

struct DriverStanding {
  int64_t place = 0;                  // from 1, no two drivers share one
  std::string driver;                 // the first spelling met
  int64_t points = 0;                 // of the counted results
  std::vector<DriverResult> results;  // one per competition, in season order
};

std::vector<DriverStanding> ScoreSeason(const Season& season,
                                        const std::vector<CompetitionOutcome>& outcomes);

}  // namespace hl::season
