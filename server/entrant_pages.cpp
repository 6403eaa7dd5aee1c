#include "server/entrant_pages.h"

#include "publish/page_render.h"
#include "server/page_templates.h"

namespace hl::server {
namespace {

using Json = nlohmann::ordered_json;
using publish::PageData;
using publish::PageList;

std::string FactText(const Json& value) {
  if (value.is_null()) return "none";
  if (value.is_string()) return value.get<std::string>();
  if (value.is_boolean()) return value.get<bool>() ? "yes" : "no";
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

PageData Fact(const std::string& label, const Json& value) {
  PageData fact;
  fact.set("label", label);
  fact.set("text", FactText(value));
  return fact;
}

PageData Titled(const std::string& title, const std::string& description) {
  PageData values;
  values.set("title", title);
  values.set("description", description);
  return values;
}

}  // namespace

std::string ClosingSentence(const evaluation::ClosingTime& closes, bool closed) {
  return std::string(closed ? "uploads closed " : "uploads close ") +
         evaluation::UtcText(closes.utc_seconds) + " (" + evaluation::CompetitionText(closes) + ")";
}

std::string UploadFormPage(const std::optional<evaluation::ClosingTime>& closes) {
  PageData values = Titled("Upload your lap",
                           "Upload your hot lap: track file, game file and "
                           "screen shot, and see the verdict at once.");
  if (closes) values.set("closes", ClosingSentence(*closes, false));
  return publish::RenderPage(embedded::kUploadFormTemplate, std::move(values));
}

std::string VerdictPage(const Json& answer) {
  const Json& verdict = answer["verdict"];
  PageData values = Titled("Your verdict", "The verdict on your upload.");
  values.set("version", answer["version"].dump());
  values.set("entry", answer["entry"].get<std::string>());
  PageList facts{Fact("provisional place", answer["place"])};
  for (const char* key : {"time", "driver", "car", "car_ok", "track_valid", "track_file",
                          "game_file", "screen_file", "track_name"}) {
    if (verdict.contains(key)) facts.push_back(Fact(key, verdict[key]));
  }
  values.set("facts", facts);
  PageList findings;
  if (verdict.contains("findings")) {
    for (const Json& found : verdict["findings"]) {
      PageData finding;
      finding.set("code", found.value("code", ""));
      finding.set("message", found.value("message", ""));
      findings.push_back(finding);
    }
  }
  values.set("has_findings", !findings.empty());
  values.set("findings", findings);
  PageList log;
  for (const Json& line : answer["log"]) log.push_back(PageData("line", line.get<std::string>()));
  values.set("log", log);
  return publish::RenderPage(embedded::kVerdictTemplate, std::move(values));
}

std::string RefusalPage(unsigned status, const std::string& message) {
  PageData values = Titled("Upload refused", "Your upload was refused.");
  values.set("message", message);
  values.set("status", std::to_string(status));
  return publish::RenderPage(embedded::kRefusalTemplate, std::move(values));
}

}  // namespace hl::server
