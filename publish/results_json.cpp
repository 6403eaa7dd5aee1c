#include "publish/results_json.h"

#include <algorithm>
#include <cstdio>

#include "ranking/record_ranking.h"
#include "toolkit/text/text.h"

namespace hl::publish {
namespace {

using Json = nlohmann::ordered_json;

Json OptionalText(const std::optional<std::string>& text) { return text ? Json(*text) : Json(); }

Json DateJson(const std::optional<record::RecordDate>& date) {
  if (!date) return nullptr;
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date->year, date->month, date->day);
  return text;
}

Json SettingsJson(const std::optional<record::RaceSettings>& settings) {
  if (!settings) return nullptr;
  return {{"tyres", settings->tyres},
          {"consumption", settings->consumption},
          {"fuel", settings->fuel},
          {"damage", settings->damage},
          {"speed", settings->speed}};
}

Json PenaltyJson(const std::optional<record::Penalty>& penalty) {
  if (!penalty) return nullptr;
  return {{"time", text::ParseInteger(penalty->time)},
          {"reason", penalty->reason.empty() ? Json() : Json(penalty->reason)}};
}

Json FindingJson(const record::Finding& finding) {
  Json json = {{"code", finding.code}, {"message", finding.message}};
  for (const auto& [key, value] : finding.fields.items()) json[key] = value;
  return json;
}

void AddTrackFacts(Json& json, const std::optional<record::TrackFacts>& track) {
  const auto fact = [&track](auto member) -> Json {
    return track ? Json((*track).*member) : Json();
  };
  json["fixed_size"] = fact(&record::TrackFacts::fixed_size);
  json["objects"] = fact(&record::TrackFacts::objects);
  json["time"] = fact(&record::TrackFacts::time);
  json["driver"] = fact(&record::TrackFacts::driver);
  json["car"] = fact(&record::TrackFacts::car);
  json["car_ok"] = fact(&record::TrackFacts::car_ok);
  json["ghost_samples"] = fact(&record::TrackFacts::ghost_samples);
  json["record_date"] = track ? DateJson(track->record_date) : Json();
}

Json CompetitionJson(const record::CompetitionRecord& competition, const Publication& publication) {
  return {{"folder", PublishedFolder(competition.folder, publication)},
          {"track", competition.track},
          {"car_files", competition.car_files},
          {"car_file", OptionalText(competition.car_file)},
          {"entries", competition.entries.size()}};
}

Json RankingJson(const record::CompetitionRecord& competition) {
  Json ranking = Json::array();
  for (const ranking::RankedEntry& ranked : ranking::RankRecord(competition)) {
    const record::EntryRecord& entry = competition.entries[ranked.entry];
    ranking.push_back({{"place", ranked.place},
                       {"text", ranked.text},
                       {"entry", entry.folder},
                       {"time", ranked.time},
                       {"driver", entry.track->driver},
                       {"penalised", entry.penalty.has_value()}});
  }
  return ranking;
}

// Everything but the entries, which is an empty array.
Json ResultsHead(const record::CompetitionRecord& competition, const Publication& publication) {
  Json head = {{"format", "hotlap-eval results"}, {"version", kResultsFormatVersion}};
  if (publication.standing != Standing::kUnstated)
    head["provisional"] = publication.standing != Standing::kFinal;
  if (publication.standing == Standing::kFrozen) head["frozen_since"] = publication.frozen_since;
  if (const auto& revision = publication.revision) {
    head["revision"] = {{"number", revision->number},
                        {"published", revision->published},
                        {"reason", revision->reason}};
  }
  head["competition"] = CompetitionJson(competition, publication);
  head["ranking"] = RankingJson(competition);
  head["entries"] = Json::array();
  return head;
}

}  // namespace

Json EntryJson(const record::EntryRecord& entry) {
  Json json = {{"entry", entry.folder},
               {"track_file", OptionalText(entry.track_file)},
               {"game_file", OptionalText(entry.game_file)},
               {"screen_file", OptionalText(entry.screen_file)},
               {"track_valid", entry.TrackAccepted()}};
  AddTrackFacts(json, entry.track);
  json["track_name"] = OptionalText(entry.track_name);
  json["settings"] = SettingsJson(entry.settings);
  json["penalty"] = PenaltyJson(entry.penalty);
  json["findings"] = Json::array();
  for (const record::Finding& finding : entry.findings)
    json["findings"].push_back(FindingJson(finding));
  return json;
}

Json ResultsJson(const record::CompetitionRecord& competition, const Publication& publication) {
  Json json = ResultsHead(competition, publication);
  for (const record::EntryRecord& entry : competition.entries)
    json["entries"].push_back(EntryJson(entry));
  return json;
}

std::string JsonText(const Json& json) {
  return json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string ResultsJsonText(const record::CompetitionRecord& competition,
                            const Publication& publication, const EntryExtension& extend) {
  std::string text = JsonText(ResultsHead(competition, publication));
  const size_t count = competition.entries.size();
  if (count == 0) return text;
  // Each entry dumped as the whole document's dump places it, two levels
  // deep, into the head's empty entries array. The text is sized first: a
  // growing string of thousands of entries would hold twice its size.
  const auto dump = [&](size_t i) {
    Json entry = EntryJson(competition.entries[i]);
    if (extend) extend(i, entry);
    return entry.dump(2, ' ', false, Json::error_handler_t::replace);
  };
  const std::string_view empty_end = "[]\n}\n", open = "[\n", close = "  ]\n}\n";
  size_t size = text.size() - empty_end.size() + open.size() + close.size();
  for (size_t i = 0; i < count; ++i) {
    const std::string entry = dump(i);
    size += 4 + entry.size() +
            4 * static_cast<size_t>(std::count(entry.begin(), entry.end(), '\n')) + 2;
  }
  text.resize(text.size() - empty_end.size());
  text.reserve(size);
  text += open;
  for (size_t i = 0; i < count; ++i) {
    text += "    ";
    for (const char c : dump(i)) {
      text += c;
      if (c == '\n') text += "    ";
    }
    text += i + 1 < count ? ",\n" : "\n";
  }
  text += close;
  return text;
}

}  // namespace hl::publish
