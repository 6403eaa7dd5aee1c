#include "server/verdict_changes.h"

#include <set>
#include <string>

namespace hl::server {
namespace {

using Json = nlohmann::ordered_json;

Json Side(const Evaluated& evaluated, const std::string& entry) {
  const auto found = evaluated.find(entry);
  if (found == evaluated.end()) return nullptr;
  Json side = found->second->VerdictJson();
  side["place"] = found->second->PlaceJson();
  return side;
}

Json SideInBrief(const Json& side) {
  if (!side.is_object()) return nullptr;
  Json codes = Json::array();
  for (const Json& finding : side.value("findings", Json::array()))
    codes.push_back(finding["code"]);
  const Json& penalty = side.value("penalty", Json());
  return {{"time", side.value("time", Json())},
          {"place", side.value("place", Json())},
          {"penalty", penalty.is_object() ? penalty.value("time", Json()) : Json()},
          {"findings", std::move(codes)}};
}

}  // namespace

Json VerdictChanges(const Evaluated& before, const Evaluated& after) {
  std::set<std::string> entries;
  for (const auto& [entry, verdict] : before) entries.insert(entry);
  for (const auto& [entry, verdict] : after) entries.insert(entry);
  Json changes = Json::array();
  for (const std::string& entry : entries) {
    Json old_side = Side(before, entry);
    Json new_side = Side(after, entry);
    if (old_side != new_side)
      changes.push_back(
          {{"entry", entry}, {"old", std::move(old_side)}, {"new", std::move(new_side)}});
  }
  return changes;
}

Json ChangesInBrief(const Json& changes) {
  Json brief = Json::array();
  for (const Json& change : changes) {
    brief.push_back({{"entry", change["entry"]},
                     {"old", SideInBrief(change["old"])},
                     {"new", SideInBrief(change["new"])}});
  }
  return brief;
}

}  // namespace hl::server
