#pragma once
// The webhooks' deliveries, kept in the server's database (its own
// connection beside the version store's, as WAL allows) so that what is
// queued survives a restart: one row per event and receiver, tried in the
// order queued, and kept once delivered or given up. Receivers are known by
// their URL's SHA-256, so the database holds no receiver's secret. Safe to
// use from several threads.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "server/webhook_event.h"
#include "toolkit/text/error.h"

struct sqlite3;

namespace hl::server {

struct WebhookReceiver {
  std::string key;   // the URL's SHA-256
  std::string name;  // ReceiverName of the URL
};

struct QueuedDelivery {
  int64_t id = 0;
  nlohmann::ordered_json event;
  int64_t queued_ms = 0;  // milliseconds since 1970, UTC
  int64_t attempts = 0;
  int64_t next_try_ms = 0;
};

// A delivery given up: what the console lists.
struct FailedDelivery {
  std::string receiver;  // its name
  nlohmann::ordered_json event;
  int64_t attempts = 0;
  std::string problem;  // the last attempt's
};

class WebhookQueue {
 public:
  static Result<std::unique_ptr<WebhookQueue>> Open(const std::string& database);
  ~WebhookQueue();
  WebhookQueue(const WebhookQueue&) = delete;
  WebhookQueue& operator=(const WebhookQueue&) = delete;

  // The event for every receiver, in one statement; an event with a `once`
  // key a receiver was given before is not queued for it again.
  Result<void> Add(const std::vector<WebhookReceiver>& receivers, const WebhookEvent& event,
                   int64_t now_ms);
  // The receiver's oldest delivery still to be made.
  std::optional<QueuedDelivery> Next(const std::string& receiver_key);
  Result<void> Delivered(int64_t id);
  Result<void> Retry(int64_t id, int64_t next_try_ms, const std::string& problem);
  Result<void> GiveUp(int64_t id, const std::string& problem);
  // At start: the deliveries of receivers no longer given are given up, the
  // others are due at once.
  Result<void> Resume(const std::vector<WebhookReceiver>& receivers, int64_t now_ms);
  std::vector<FailedDelivery> Failures();
  // The entry of the last first place queued; "" before any.
  std::string LastFirstPlace();

 private:
  explicit WebhookQueue(sqlite3* db) : db_(db) {}
  Result<void> Execute(const char* sql);

  std::mutex mutex_;  // one statement of the connection at a time
  sqlite3* db_;
};

}  // namespace hl::server
