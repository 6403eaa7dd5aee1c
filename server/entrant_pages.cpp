#include "server/entrant_pages.h"

#include <algorithm>

#include "audit/finding_advice.h"
#include "publish/lap_time_text.h"
#include "publish/page_render.h"
#include "server/page_templates.h"

namespace hl::server {
namespace {

using Json = nlohmann::ordered_json;
using publish::LapTimeText;
using publish::PageData;
using publish::PageList;

PageData Fact(const std::string& label, const std::string& text) {
  PageData fact;
  fact.set("label", label);
  fact.set("text", text);
  return fact;
}

std::string TextOr(const Json& value, const std::string& otherwise) {
  return value.is_string() ? value.get<std::string>() : otherwise;
}

bool HasFinding(const Json& verdict, std::string_view code) {
  const Json& findings = verdict.value("findings", Json::array());
  return std::any_of(findings.begin(), findings.end(),
                     [code](const Json& found) { return found.value("code", "") == code; });
}

std::string TrackFileText(const Json& verdict) {
  if (!verdict["track_file"].is_string()) return "none received";
  const std::string name = verdict["track_file"].get<std::string>();
  return verdict["track_valid"] == true ? name + ", read"
                                        : name + ", not a track file the evaluation can read";
}

std::string CarCheckText(const Json& verdict) {
  const Json& car_ok = verdict["car_ok"];
  if (!car_ok.is_boolean() || HasFinding(verdict, "car-not-checked")) return "not checked";
  return car_ok.get<bool>() ? "the reference car, unchanged"
                            : "differs from the reference car (see below)";
}

std::string PenaltyText(const Json& penalty) {
  std::string text = LapTimeText(penalty.value("time", int64_t{0}));
  if (penalty["reason"].is_string()) text += ": " + penalty["reason"].get<std::string>();
  return text;
}

PageList Facts(const Json& answer) {
  const Json& verdict = answer["verdict"];
  const Json& place = answer["place"];
  const Json& time = verdict["time"];
  // A lap with a time always has a place, unless the standings are frozen.
  const std::string place_text = place.is_number()  ? place.dump()
                                 : time.is_number() ? "not shown while the standings are frozen"
                                                    : "not ranked";
  PageList facts{
      Fact("Provisional place", place_text),
      Fact("Lap time", time.is_number() ? LapTimeText(time.get<int64_t>()) : "none"),
      Fact("Driver", TextOr(verdict["driver"], "none")),
      Fact("Car", TextOr(verdict["car"], "none")),
      Fact("Car check", CarCheckText(verdict)),
      Fact("Track file", TrackFileText(verdict)),
      Fact("Game file", TextOr(verdict["game_file"], "none received")),
      Fact("Screen shot", TextOr(verdict["screen_file"], "none received")),
      Fact("Track", TextOr(verdict["track_name"], "unknown without a game file")),
  };
  if (verdict["penalty"].is_object())
    facts.push_back(Fact("Penalty", PenaltyText(verdict["penalty"])));
  return facts;
}

PageList Findings(const Json& verdict) {
  PageList findings;
  for (const Json& found : verdict.value("findings", Json::array())) {
    PageData finding;
    finding.set("message", found.value("message", ""));
    const std::string_view advice = audit::FindingAdvice(found.value("code", ""));
    if (!advice.empty()) finding.set("advice", std::string(advice));
    findings.push_back(finding);
  }
  return findings;
}

PageData Titled(const std::string& title, const std::string& description) {
  PageData values;
  values.set("title", title);
  values.set("description", description);
  return values;
}

std::string DecisionWhat(const Json& decision) {
  if (decision["action"] == "withdraw") return "Penalty withdrawn";
  const Json& time = decision["time"];
  return "Penalty of " + (time.is_string() ? time.get<std::string>() : time.dump());
}

std::string VersionSummary(const Json& version) {
  const Json& time = version["time"];
  const Json& car_ok = version["car_ok"];
  return (time.is_number_integer() ? LapTimeText(time.get<int64_t>()) : "no time") + ", car " +
         (car_ok.is_boolean() ? (car_ok.get<bool>() ? "unchanged" : "differs") : "not checked");
}

}  // namespace

std::string ClosingSentence(const evaluation::ClosingTime& closes, bool closed) {
  return std::string(closed ? "uploads closed " : "uploads close ") +
         evaluation::UtcText(closes.utc_seconds) + " (" + evaluation::CompetitionText(closes) + ")";
}

std::string UploadFormPage(const std::optional<evaluation::ClosingTime>& closes, bool closed) {
  PageData values = Titled("Upload your lap",
                           "Upload your hot lap: track file, game file and "
                           "screen shot, and see the verdict at once.");
  if (closes) values.set("closes", ClosingSentence(*closes, closed));
  values.set("closed", closed);
  return publish::RenderPage(embedded::kUploadFormTemplate, std::move(values));
}

std::string SignupFormPage(const std::optional<evaluation::ClosingTime>& closes, bool closed) {
  PageData values = Titled("Sign up", "Sign up for the competition and get your upload token.");
  if (closes) values.set("closes", ClosingSentence(*closes, closed));
  values.set("closed", closed);
  return publish::RenderPage(embedded::kSignupFormTemplate, std::move(values));
}

std::string SignupAnswerPage(const std::string& entry, const std::string& token) {
  PageData values = Titled("You are signed up", "Your upload token.");
  values.set("entry", entry);
  values.set("token", token);
  return publish::RenderPage(embedded::kSignupAnswerTemplate, std::move(values));
}

std::string VerdictPage(const Json& answer) {
  PageData values = Titled("Your verdict", "The verdict on your upload.");
  values.set("version", answer["version"].dump());
  values.set("entry", answer["entry"].get<std::string>());
  values.set("facts", Facts(answer));
  const PageList findings = Findings(answer["verdict"]);
  values.set("has_findings", !findings.empty());
  values.set("findings", findings);
  PageList log;
  for (const Json& line : answer["log"]) log.push_back(PageData("line", line.get<std::string>()));
  values.set("log", log);
  return publish::RenderPage(embedded::kVerdictTemplate, std::move(values));
}

std::string RefusalPage(EntrantForm form, unsigned status, const std::string& message) {
  const bool upload = form == EntrantForm::kUpload;
  PageData values = upload ? Titled("Upload refused", "Your upload was refused.")
                           : Titled("Sign-up refused", "Your sign-up was refused.");
  values.set("message", message);
  values.set("status", std::to_string(status));
  values.set("form", upload ? "/upload" : "/signup");
  values.set("form_name", upload ? "upload form" : "sign-up form");
  return publish::RenderPage(embedded::kRefusalTemplate, std::move(values));
}

std::string EntrantEntryPage(const Json& entry, const std::string& message) {
  PageData values =
      Titled("Your entry", "Your uploads, their verdict and the organisers' decisions.");
  if (!message.empty()) values.set("message", message);
  values.set("known", entry.is_object());
  if (!entry.is_object())
    return publish::RenderPage(embedded::kEntrantEntryTemplate, std::move(values));
  values.set("entry", entry["entry"].get<std::string>());
  const Json& place = entry["place"];
  values.set("standing", place.is_number() ? "provisional place " + place.dump() : "not ranked");
  PageList decisions;
  for (const Json& decision : entry["decisions"]) {
    PageData item;
    item.set("what", DecisionWhat(decision));
    item.set("reason", TextOr(decision["reason"], ""));
    item.set("at", TextOr(decision["at"], ""));
    decisions.push_back(item);
  }
  values.set("decisions", decisions);
  values.set("findings", entry["verdict"].is_object() ? Findings(entry["verdict"]) : PageList{});
  PageList versions;
  for (const Json& version : entry["versions"]) {
    PageData item;
    item.set("version", version["version"].dump());
    item.set("received", TextOr(version["received"], ""));
    item.set("summary", VersionSummary(version));
    versions.push_back(item);
  }
  values.set("versions", versions);
  return publish::RenderPage(embedded::kEntrantEntryTemplate, std::move(values));
}

}  // namespace hl::server
