#pragma once
// Where and how the server tells others of what happens: --webhook URLs,
// the body's format, and the delivery's timing.

#include <chrono>
#include <string>
#include <vector>

namespace hl::server {

enum class WebhookFormat { kJson, kDiscord };

// How a delivery is tried: each attempt may take `timeout`; a failed one is
// tried again after `first_retry`, doubling up to `longest_wait`, until
// `give_up_after` has passed since the event was queued.
struct WebhookTiming {
  std::chrono::milliseconds timeout{5000};
  std::chrono::milliseconds first_retry{1000};
  std::chrono::milliseconds longest_wait{std::chrono::minutes(10)};
  std::chrono::milliseconds give_up_after{std::chrono::hours(24)};
};

struct WebhookOptions {
  std::vector<std::string> urls;  // http or https, checked at start
  WebhookFormat format = WebhookFormat::kJson;
  // Loopback, link-local and private addresses are refused without it.
  bool allow_private = false;
  WebhookTiming timing;  // not on the command line
};

}  // namespace hl::server
