#include "season/season_outputs.h"

namespace hl::season {
namespace {

nlohmann::ordered_json CompetitionJson(const SeasonCompetition& competition,
                                       const CompetitionOutcome& outcome) {
  nlohmann::ordered_json json;
  json["folder"] = competition.folder;
  if (outcome.record) {
    json["track"] = outcome.record->track;
    json["entries"] = outcome.record->entries.size();
  } else {
    json["track"] = nullptr;
    json["entries"] = nullptr;
    json["error"] = outcome.error;
  }
  return json;
}

nlohmann::ordered_json StandingJson(const DriverStanding& standing) {
  nlohmann::ordered_json json;
  json["place"] = standing.place;
  json["driver"] = standing.driver;
  json["points"] = standing.points;
  json["results"] = nlohmann::ordered_json::array();
  for (size_t i = 0; i < standing.results.size(); ++i) {
    const DriverResult& result = standing.results[i];
    nlohmann::ordered_json entry;
    entry["competition"] = i;
    entry["place"] = result.place ? nlohmann::ordered_json(*result.place) : nullptr;
    entry["points"] = result.points;
    json["results"].push_back(std::move(entry));
  }
  return json;
}

}  // namespace

nlohmann::ordered_json SeasonJson(const Season& season,
                                  const std::vector<CompetitionOutcome>& outcomes,
                                  const std::vector<DriverStanding>& standings) {
  nlohmann::ordered_json json;
  json["format"] = "hotlap-eval season";
  json["version"] = kSeasonFormatVersion;
  json["title"] = season.title;
  json["competitions"] = nlohmann::ordered_json::array();
  for (size_t i = 0; i < season.competitions.size() && i < outcomes.size(); ++i)
    json["competitions"].push_back(CompetitionJson(season.competitions[i], outcomes[i]));
  json["standings"] = nlohmann::ordered_json::array();
  for (const DriverStanding& standing : standings)
    json["standings"].push_back(StandingJson(standing));
  return json;
}

}  // namespace hl::season
