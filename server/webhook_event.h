#pragma once
// What the server tells its webhooks: an upload's verdict, an organiser's
// decision on an entry, a new first place, the close of uploads, a final
// revision of the results. Each is `{"event", "at", "entry", ...}`; no event
// carries a token or an organiser's name.

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "evaluation/closing_time.h"

namespace hl::server {

struct WebhookEvent {
  nlohmann::ordered_json json;
  // Events with the same non-empty key are told once, across restarts too.
  std::string once;
};

enum class DecisionAction { kPenalty, kWithdraw };

// `verdict` is the entry as results.json describes it (null when the upload
// was not evaluated); it is valid with a track file and no findings.
WebhookEvent UploadEvent(const std::string& at, const std::string& entry, int64_t version,
                         const nlohmann::ordered_json& verdict,
                         const nlohmann::ordered_json& place);
// `time` is the penalty's, in hundredths; none for a withdrawal.
WebhookEvent DecisionEvent(const std::string& at, const std::string& entry, DecisionAction action,
                           std::optional<int64_t> time, const std::string& reason);
WebhookEvent FirstPlaceEvent(const std::string& at, const std::string& entry, int64_t time);
WebhookEvent ClosedEvent(const std::string& at, const evaluation::ClosingTime& closes);
WebhookEvent FinalEvent(const std::string& at, int64_t revision, const std::string& reason);

}  // namespace hl::server
