#include "server/webhook_event.h"

namespace hl::server {
namespace {

using Json = nlohmann::ordered_json;

Json Head(const char* event, const std::string& at, const Json& entry) {
  return {{"event", event}, {"at", at}, {"entry", entry}};
}

// The findings' codes and messages, without the fields only the console needs.
Json FindingsOf(const Json& verdict) {
  Json findings = Json::array();
  if (!verdict.is_object() || !verdict["findings"].is_array()) return findings;
  for (const Json& finding : verdict["findings"])
    findings.push_back(
        {{"code", finding.value("code", "")}, {"message", finding.value("message", "")}});
  return findings;
}

}  // namespace

WebhookEvent UploadEvent(const std::string& at, const std::string& entry, int64_t version,
                         const Json& verdict, const Json& place) {
  Json json = Head("upload", at, entry);
  const bool read = verdict.is_object() && verdict["track_valid"] == true;
  json["version"] = version;
  json["time"] = read && verdict["time"].is_number() ? verdict["time"] : Json();
  json["place"] = place;
  json["findings"] = FindingsOf(verdict);
  json["valid"] = read && json["findings"].empty();
  return {std::move(json), ""};
}

WebhookEvent DecisionEvent(const std::string& at, const std::string& entry, DecisionAction action,
                           std::optional<int64_t> time, const std::string& reason) {
  Json json = Head("decision", at, entry);
  json["action"] = action == DecisionAction::kPenalty ? "penalty" : "withdraw";
  json["time"] = time ? Json(*time) : Json();
  json["reason"] = reason;
  return {std::move(json), ""};
}

WebhookEvent FirstPlaceEvent(const std::string& at, const std::string& entry, int64_t time) {
  Json json = Head("first-place", at, entry);
  json["time"] = time;
  return {std::move(json), ""};
}

WebhookEvent ClosedEvent(const std::string& at, const evaluation::ClosingTime& closes) {
  Json json = Head("closed", at, nullptr);
  json["closes"] = evaluation::Rfc3339Utc(closes.utc_seconds);
  return {std::move(json), "closed " + std::to_string(closes.utc_seconds)};
}

WebhookEvent FinalEvent(const std::string& at, int64_t revision, const std::string& reason) {
  Json json = Head("final", at, nullptr);
  json["revision"] = revision;
  json["reason"] = reason;
  return {std::move(json), "final " + std::to_string(revision)};
}

}  // namespace hl::server
