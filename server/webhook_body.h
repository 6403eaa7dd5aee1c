#pragma once
// The body a webhook receives for an event: the event's JSON as it is, or
// for Discord `{"content": "..."}`, one short sentence a chat shows, which
// pings nobody whatever a reason says.

#include <string>

#include <nlohmann/json.hpp>

#include "server/webhook_options.h"

namespace hl::server {

std::string WebhookBody(const nlohmann::ordered_json& event, WebhookFormat format);

}  // namespace hl::server
