// The season table from rounds of plain results: points by place, drivers
// matched across rounds, best-N counting and the countback.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "season/standings.h"

namespace hl::season {
namespace {

using Round = std::vector<std::pair<std::string, int>>;  // driver, time in hundredths

CompetitionOutcome Ranked(const Round& round) {
  record::CompetitionRecord competition;
  for (const auto& [driver, time] : round) {
    record::EntryRecord& entry = competition.entries.emplace_back();
    entry.track.emplace();
    entry.track->driver = driver;
    entry.track->time = static_cast<int16_t>(time);
    entry.track->result = std::to_string(time) + " " + driver;
  }
  return {.record = std::move(competition), .error = ""};
}

struct Case {
  const char* name;
  std::vector<int64_t> points;
  int64_t best;
  std::vector<Round> rounds;                           // an empty round stands for one that failed
  std::vector<std::pair<std::string, int64_t>> table;  // driver, points, in place order
};

TEST(ScoreSeason, PlacesPointsAndCountback) {
  const std::vector<Case> cases = {
      {"points by place",
       {3, 2, 1},
       0,
       {{{"Anna", 5000}, {"Bert", 5100}, {"Cleo", 5200}}},
       {{"Anna", 3}, {"Bert", 2}, {"Cleo", 1}}},
      {"names match across rounds as the ranking folds them",
       {2, 1},
       0,
       {{{"Anna", 5000}, {"Bert", 5100}}, {{"BERT", 5000}, {" anna ", 5100}}},
       {{"Anna", 3}, {"Bert", 3}}},
      {"no time scores nothing, a place beyond the table neither",
       {2},
       0,
       {{{"Anna", 6000}, {"Bert", 6100}}},
       {{"Anna", 0}, {"Bert", 0}}},
      {"best counts only the best results; the countback sees every place",
       {10, 5},
       1,
       {{{"Anna", 5000}, {"Bert", 5100}},
        {{"Bert", 5000}, {"Anna", 5100}},
        {{"Bert", 5000}, {"Anna", 5100}}},
       {{"Bert", 10}, {"Anna", 10}}},
      {"countback: more wins first",
       {3, 2, 1},
       0,
       {{{"Anna", 5000}, {"Bert", 5100}, {"Cleo", 5200}},
        {{"Cleo", 5000}, {"Bert", 5100}, {"Anna", 5200}},
        {{"Bert", 5000}, {"Cleo", 5100}, {"Anna", 5200}}},
       {{"Bert", 7}, {"Cleo", 6}, {"Anna", 5}}},
      {"a failed round scores no one", {1}, 0, {{}, {{"Anna", 5000}}}, {{"Anna", 1}}},
      {"a driver's second entry in a round keeps the first",
       {5, 3, 1},
       0,
       {{{"Anna", 5000}, {"Bert", 5100}, {"Anna", 5200}}},
       {{"Anna", 5}, {"Bert", 3}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Season season;
    season.points = c.points;
    season.best = c.best;
    std::vector<CompetitionOutcome> outcomes;
    for (const Round& round : c.rounds) {
      outcomes.push_back(round.empty() ? CompetitionOutcome{.record = std::nullopt, .error = "x"}
                                       : Ranked(round));
    }
    const std::vector<DriverStanding> standings = ScoreSeason(season, outcomes);
    std::vector<std::pair<std::string, int64_t>> table;
    for (size_t i = 0; i < standings.size(); ++i) {
      EXPECT_EQ(standings[i].place, static_cast<int64_t>(i + 1));
      table.emplace_back(standings[i].driver, standings[i].points);
    }
    EXPECT_EQ(table, c.table);
  }
}

}  // namespace
}  // namespace hl::season
