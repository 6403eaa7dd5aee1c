#include "server/review_pages.h"

#include <algorithm>

#include "audit/finding_advice.h"
#include "audit/finding_lines.h"
#include "publish/lap_time_text.h"
#include "publish/page_render.h"
#include "server/page_templates.h"

namespace hl::server {
namespace {

using Json = nlohmann::ordered_json;
using publish::PageData;
using publish::PageList;

std::string Text(const Json& value, const std::string& otherwise = "none") {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_number()) return value.dump();
  return otherwise;
}

std::string TimeText(const Json& time) {
  return time.is_number_integer() ? publish::LapTimeText(time.get<int64_t>()) : "no time";
}

PageData Fact(const std::string& label, const std::string& text) {
  PageData fact;
  fact.set("label", label);
  fact.set("text", text);
  return fact;
}

PageData Advice(const std::string& code) {
  PageData advice;
  advice.set("code", code);
  advice.set("words", std::string(audit::FindingAdvice(code)));
  return advice;
}

PageData QueueRowData(const QueueRow& row) {
  PageData data;
  data.set("entry", row.entry);
  data.set("looked_at", row.looked_at);
  data.set("version", row.version > 0
                          ? "version " + std::to_string(row.version) + ", received " + row.received
                          : "nothing uploaded here");
  data.set("time", TimeText(row.time));
  data.set("place", row.place.is_number() ? "place " + row.place.dump() : "not ranked");
  data.set("penalty", row.penalty ? "penalty " + *row.penalty : "no penalty");
  data.set("looked", row.looked_at ? "looked at" : "not looked at");
  PageList findings;
  for (const std::string& code : row.findings) {
    PageData finding;
    finding.set("code", code);
    const std::string_view advice = audit::FindingAdvice(code);
    if (!advice.empty()) finding.set("advice", std::string(advice));
    findings.push_back(finding);
  }
  data.set("has_findings", !findings.empty());
  data.set("findings", findings);
  return data;
}

std::vector<record::Finding> FindingsOf(const Json& verdict) {
  std::vector<record::Finding> findings;
  const Json listed = At(verdict, "findings");
  if (!listed.is_array()) return findings;
  for (const Json& found : listed) {
    if (!found.is_object()) continue;
    record::Finding finding{found.value("code", ""), found.value("message", "")};
    for (const auto& [key, value] : found.items()) {
      if (key != "code" && key != "message") finding.fields[key] = value;
    }
    findings.push_back(std::move(finding));
  }
  return findings;
}

PageList EvidenceLines(const Json& verdict) {
  if (!verdict.is_object()) return {PageData("line", std::string("Not evaluated yet"))};
  const auto findings = FindingsOf(verdict);
  std::vector<std::string> lines = audit::FindingLines(findings);
  const bool unreadable = std::any_of(findings.begin(), findings.end(), [](const auto& finding) {
    return finding.code == "screen-unreadable";
  });
  const Json& screen = At(verdict, "screen_file");
  lines.push_back(audit::ScreenVerdictLine(
      screen.is_string() ? std::optional(screen.get<std::string>()) : std::nullopt, unreadable));
  PageList list;
  for (std::string& line : lines) list.push_back(PageData("line", std::move(line)));
  return list;
}

std::string SettingsText(const Json& settings) {
  if (!settings.is_object()) return "none";
  std::string text;
  for (const auto& [key, value] : settings.items()) {
    text += (text.empty() ? "" : ", ") + key + " " + Text(value);
  }
  return text;
}

PageList Facts(const Json& verdict) {
  if (!verdict.is_object()) return {};
  return {
      Fact("Lap time", TimeText(At(verdict, "time"))),
      Fact("Driver", Text(At(verdict, "driver"))),
      Fact("Car", Text(At(verdict, "car"))),
      Fact("Recorded", Text(At(verdict, "record_date"), "no date")),
      Fact("Track", Text(At(verdict, "track_name"), "unknown")),
      Fact("Track file", Text(At(verdict, "track_file"))),
      Fact("Game file", Text(At(verdict, "game_file"))),
      Fact("Screen shot", Text(At(verdict, "screen_file"))),
      Fact("Settings", SettingsText(At(verdict, "settings"))),
      Fact("Penalty", At(verdict, "penalty").is_object()
                          ? Text(At(At(verdict, "penalty"), "time")) + " (" +
                                Text(At(At(verdict, "penalty"), "reason"), "") + ")"
                          : "none"),
  };
}

std::string DecisionWhat(const Json& decision) {
  const std::string action = decision.value("action", "");
  const std::string reason = Text(At(decision, "reason"), "");
  if (action == "penalty")
    return Text(At(decision, "time")) + (reason.empty() ? "" : ": " + reason);
  if (action == "withdraw") return reason;
  return "version " + Text(At(decision, "version"));
}

PageList Decisions(const Json& decisions) {
  PageList list;
  for (const Json& decision : decisions) {
    PageData data;
    data.set("action", Text(At(decision, "action"), ""));
    data.set("what", DecisionWhat(decision));
    data.set("at", Text(At(decision, "at"), ""));
    data.set("actor", Text(At(decision, "actor"), ""));
    list.push_back(data);
  }
  return list;
}

PageList Versions(const std::string& entry, const Json& versions) {
  PageList list;
  for (const Json& version : versions) {
    PageData data;
    data.set("entry", entry);
    data.set("version", Text(At(version, "version")));
    data.set("received", Text(At(version, "received"), ""));
    const Json& car_ok = At(version, "car_ok");
    data.set("summary", TimeText(At(version, "time")) + ", car " +
                            (car_ok.is_boolean() ? (car_ok.get<bool>() ? "unchanged" : "differs")
                                                 : "not checked"));
    PageList files;
    for (const Json& file : version.value("files", Json::array())) {
      PageData item;
      item.set("entry", entry);
      item.set("version", Text(At(version, "version")));
      item.set("name", Text(At(file, "name"), ""));
      item.set("field", Text(At(file, "field"), ""));
      item.set("size", Text(At(file, "size"), "?"));
      item.set("sha256", Text(At(file, "sha256"), ""));
      files.push_back(item);
    }
    data.set("files", files);
    list.push_back(data);
  }
  return list;
}

PageData Picture(const std::string& src, const std::string& entry) {
  PageData picture;
  picture.set("src", src);
  picture.set("entry", entry);
  return picture;
}

std::string TextAt(const Json& json, const char* key) {
  const Json& value = At(json, key);
  return value.is_string() ? value.get<std::string>() : "";
}

PageData FailedDeliveryData(const FailedDelivery& failed) {
  PageData data;
  data.set("receiver", failed.receiver);
  data.set("event", TextAt(failed.event, "event"));
  data.set("entry", TextAt(failed.event, "entry"));
  data.set("at", TextAt(failed.event, "at"));
  data.set("attempts", std::to_string(failed.attempts));
  data.set("problem", failed.problem);
  return data;
}

}  // namespace

PageData Titled(const std::string& title, const ReviewViewer& viewer) {
  PageData values;
  values.set("title", title);
  values.set("description", "The organisers' review of the competition.");
  values.set("organiser", viewer.organiser);
  values.set("csrf", viewer.csrf);
  values.set("bar",
             kainjow::mustache::partial([] { return std::string(embedded::kReviewBarTemplate); }));
  return values;
}

std::string ReviewLoginPage(const std::string& message) {
  PageData values = Titled("Review: log in", {});
  if (!message.empty()) values.set("message", message);
  return publish::RenderPage(embedded::kReviewLoginTemplate, std::move(values));
}

std::string ReviewMessagePage(unsigned status, const std::string& message,
                              const ReviewViewer& viewer) {
  PageData values = Titled("Review: " + std::to_string(status), viewer);
  values.set("message", message);
  return publish::RenderPage(embedded::kReviewMessageTemplate, std::move(values));
}

std::string ReviewQueuePage(const std::vector<QueueRow>& rows,
                            const std::vector<FailedDelivery>& failed, const ReviewViewer& viewer) {
  PageData values = Titled("Review queue", viewer);
  PageList list;
  for (const QueueRow& row : rows) list.push_back(QueueRowData(row));
  values.set("rows", list);
  values.set("count", std::to_string(rows.size()));
  PageList given_up;
  for (const FailedDelivery& delivery : failed) given_up.push_back(FailedDeliveryData(delivery));
  values.set("has_failed", !given_up.empty());
  values.set("failed", given_up);
  values.set("unlooked",
             std::to_string(std::count_if(rows.begin(), rows.end(),
                                          [](const auto& row) { return !row.looked_at; })));
  return publish::RenderPage(embedded::kReviewQueueTemplate, std::move(values));
}

std::string ReviewEntryPage(const Json& facts, const EntryExtras& extras,
                            const ReviewViewer& viewer) {
  const std::string entry = facts.value("entry", "");
  const Json& verdict = At(facts, "verdict");
  PageData values = Titled("Entry " + entry, viewer);
  values.set("entry", entry);
  if (!extras.outcome.empty()) {
    values.set("outcome", extras.outcome);
    values.set("outcome_class", extras.outcome_failed ? "bad" : "facts");
  }
  values.set("facts", Facts(verdict));
  values.set("evidence", EvidenceLines(verdict));
  PageList advice;
  for (const auto& finding : FindingsOf(verdict)) {
    if (!audit::FindingAdvice(finding.code).empty()) advice.push_back(Advice(finding.code));
  }
  values.set("has_advice", !advice.empty());
  values.set("advice", advice);
  if (!extras.screen.empty()) values.set("screen", Picture(extras.screen, entry));
  if (!extras.track.empty()) values.set("track", Picture(extras.track, entry));
  const Json& versions = facts.value("versions", Json::array());
  if (!versions.empty()) values.set("latest", Text(versions.back()["version"]));
  values.set("decisions", Decisions(facts.value("decisions", Json::array())));
  values.set("versions", Versions(entry, versions));
  return publish::RenderPage(embedded::kReviewEntryTemplate, std::move(values));
}

Json At(const Json& json, const char* key) {
  return json.is_object() ? json.value(key, Json()) : Json();
}

Json QueueRowJson(const QueueRow& row) {
  Json penalty;
  if (row.penalty)
    penalty =
        std::all_of(row.penalty->begin(), row.penalty->end(), ::isdigit) && !row.penalty->empty()
            ? Json(std::stoll(*row.penalty))
            : Json(*row.penalty);
  return {{"entry", row.entry}, {"version", row.version},    {"received", row.received},
          {"time", row.time},   {"place", row.place},        {"findings", row.findings},
          {"penalty", penalty}, {"looked_at", row.looked_at}};
}

}  // namespace hl::server
