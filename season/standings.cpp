#include "season/standings.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string_view>

#include "ranking/record_ranking.h"
#include "record/rules.h"

namespace hl::season {
namespace {

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The ranking folds A-Z only, so "ANNA" and "anna" are one driver while
// "Gösta" and "GÖSTA" stay two, exactly as the report orders them.
std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

int64_t PointsFor(const Season& season, int64_t place, int64_t time) {
  // A ranked time without a lap scores nothing.
  if (time >= record::kNoTime || place < 1 || place > static_cast<int64_t>(season.points.size()))
    return 0;
  return season.points[static_cast<size_t>(place - 1)];
}

struct Tally {
  DriverStanding standing;
  std::string key;  // the folded name
};

// Counts only the best `best` results when best > 0.
int64_t CountedPoints(const std::vector<DriverResult>& results, int64_t best) {
  std::vector<int64_t> points;
  for (const DriverResult& result : results) points.push_back(result.points);
  std::sort(points.begin(), points.end(), std::greater<>());
  if (best > 0 && static_cast<size_t>(best) < points.size())
    points.resize(static_cast<size_t>(best));
  int64_t sum = 0;
  for (const int64_t p : points) sum += p;
  return sum;
}

// Places held, best first: comparing these lists lexicographically is the
// countback (more wins, then more second places, ...).
std::vector<int64_t> PlacesHeld(const std::vector<DriverResult>& results) {
  std::vector<int64_t> places;
  for (const DriverResult& result : results) {
    if (result.place) places.push_back(*result.place);
  }
  std::sort(places.begin(), places.end());
  return places;
}

// True when `a` wins the countback against `b`: at the first place where
// their sorted places differ, the smaller place wins; a driver whose list
// ends first held fewer of the places the other still has.
bool WinsCountback(const std::vector<int64_t>& a, const std::vector<int64_t>& b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    if (a[i] != b[i]) return a[i] < b[i];
  }
  return a.size() > b.size();
}

}  // namespace

std::vector<DriverStanding> ScoreSeason(const Season& season,
                                        const std::vector<CompetitionOutcome>& outcomes) {
  std::vector<Tally> tallies;
  std::map<std::string, size_t> by_key;
  for (size_t round = 0; round < outcomes.size(); ++round) {
    if (!outcomes[round].record) continue;
    const record::CompetitionRecord& competition = *outcomes[round].record;
    for (const ranking::RankedEntry& ranked : ranking::RankRecord(competition)) {
      const std::string_view name = Trimmed(competition.entries[ranked.entry].track->driver);
      const std::string key = Folded(name);
      auto [found, added] = by_key.emplace(key, tallies.size());
      if (added) {
        Tally tally;
        tally.key = key;
        tally.standing.driver = std::string(name);
        tally.standing.results.resize(outcomes.size());
        tallies.push_back(std::move(tally));
      }
      DriverResult& result = tallies[found->second].standing.results[round];
      // The ranking comes best place first: a second entry keeps the first.
      if (result.place) continue;
      result.place = ranked.place;
      result.points = PointsFor(season, ranked.place, ranked.time);
    }
  }

  struct Sorted {
    int64_t points;
    std::vector<int64_t> places;
    const Tally* tally;
  };
  std::vector<Sorted> order;
  for (Tally& tally : tallies) {
    tally.standing.points = CountedPoints(tally.standing.results, season.best);
    order.push_back({tally.standing.points, PlacesHeld(tally.standing.results), &tally});
  }
  std::sort(order.begin(), order.end(), [](const Sorted& a, const Sorted& b) {
    if (a.points != b.points) return a.points > b.points;
    if (a.places != b.places) return WinsCountback(a.places, b.places);
    return a.tally->key < b.tally->key;
  });
  std::vector<DriverStanding> standings;
  for (const Sorted& sorted : order) {
    standings.push_back(sorted.tally->standing);
    standings.back().place = static_cast<int64_t>(standings.size());
  }
  return standings;
}

}  // namespace hl::season
