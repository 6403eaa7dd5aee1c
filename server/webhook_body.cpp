#include "server/webhook_body.h"

#include "publish/lap_time_text.h"

namespace hl::server {
namespace {

using Json = nlohmann::ordered_json;

// Discord takes up to 2000 characters; a longer reason is cut.
constexpr size_t kLongestMessage = 1900;

std::string Text(const Json& event, const char* key) {
  const auto found = event.find(key);
  if (found == event.end()) return "";
  return found->is_string() ? found->get<std::string>() : found->dump();
}

std::string TimeText(const Json& time) {
  return time.is_number_integer() ? publish::LapTimeText(time.get<int64_t>()) : "no time";
}

std::string UploadMessage(const Json& event) {
  std::string message = Text(event, "entry") + ": version " + Text(event, "version") + " received";
  if (event.value("valid", false)) {
    message += ", " + TimeText(event["time"]);
    if (event["place"].is_number()) message += ", provisional place " + event["place"].dump();
    return message + ".";
  }
  std::string why;
  for (const Json& finding : event.value("findings", Json::array()))
    why += (why.empty() ? "" : "; ") + finding.value("message", "");
  return message + ", not valid: " + (why.empty() ? "the track file was not read" : why) + ".";
}

std::string DecisionMessage(const Json& event) {
  const std::string reason = " Reason: " + Text(event, "reason");
  if (Text(event, "action") == "withdraw")
    return Text(event, "entry") + ": the penalty is withdrawn." + reason;
  return Text(event, "entry") + ": penalty, the lap counts as " + TimeText(event["time"]) + "." +
         reason;
}

std::string Message(const Json& event) {
  const std::string kind = Text(event, "event");
  if (kind == "upload") return UploadMessage(event);
  if (kind == "decision") return DecisionMessage(event);
  if (kind == "first-place")
    return Text(event, "entry") + " is now first with " + TimeText(event["time"]) + ".";
  if (kind == "closed") return "Uploads are closed (" + Text(event, "closes") + ").";
  if (kind == "final")
    return "Final results published, revision " + Text(event, "revision") +
           ". Reason: " + Text(event, "reason");
  return kind;
}

// `text` cut to `limit` bytes at a character's start, marked when cut.
std::string Shortened(std::string text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80) --end;
  text.resize(end);
  return text + "\u2026";
}

}  // namespace

std::string WebhookBody(const Json& event, WebhookFormat format) {
  const Json body = format == WebhookFormat::kDiscord
                        ? Json{{"content", Shortened(Message(event), kLongestMessage)},
                               {"allowed_mentions", {{"parse", Json::array()}}}}
                        : event;
  return body.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace hl::server
