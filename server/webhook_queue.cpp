#include "server/webhook_queue.h"

#include <sqlite3.h>

#include "server/sqlite_statement.h"

namespace hl::server {
namespace {

using Json = nlohmann::ordered_json;

// The state of a row: 'queued', 'delivered' or 'failed'. `once` is null for
// events that may repeat. Times in milliseconds since 1970, UTC.
constexpr const char* kSchema =
    "PRAGMA journal_mode=WAL;"
    // Deliveries survive the program's end; a machine's crash may lose the last.
    "PRAGMA synchronous=NORMAL;"
    "CREATE TABLE IF NOT EXISTS webhook_deliveries(id INTEGER PRIMARY KEY,"
    " receiver TEXT NOT NULL, receiver_name TEXT NOT NULL, event TEXT NOT NULL, once TEXT,"
    " queued INTEGER NOT NULL, attempts INTEGER NOT NULL DEFAULT 0, next_try INTEGER NOT NULL,"
    " state TEXT NOT NULL DEFAULT 'queued', problem TEXT, UNIQUE(receiver, once));"
    "CREATE INDEX IF NOT EXISTS webhook_next ON webhook_deliveries(receiver, state, id);";

std::string ReceiversJson(const std::vector<WebhookReceiver>& receivers) {
  Json list = Json::array();
  for (const WebhookReceiver& receiver : receivers) list.push_back({receiver.key, receiver.name});
  return list.dump();
}

}  // namespace

Result<std::unique_ptr<WebhookQueue>> WebhookQueue::Open(const std::string& database) {
  sqlite3* db = nullptr;
  const int opened =
      sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (opened != SQLITE_OK) {
    std::string why = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    return Fail({"cannot open the database for the webhooks: " + why, database, std::nullopt});
  }
  // The version store's connection writes too; its transactions are short.
  sqlite3_busy_timeout(db, 5000);
  std::unique_ptr<WebhookQueue> queue(new WebhookQueue(db));
  if (auto made = queue->Execute(kSchema); !made)
    return Fail({made.error().what, database, std::nullopt});
  return queue;
}

WebhookQueue::~WebhookQueue() { sqlite3_close(db_); }

Result<void> WebhookQueue::Execute(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return {};
  std::string why = message ? message : "unknown error";
  sqlite3_free(message);
  return Fail({"the database refused a change: " + why, "", std::nullopt});
}

Result<void> WebhookQueue::Add(const std::vector<WebhookReceiver>& receivers,
                               const WebhookEvent& event, int64_t now_ms) {
  std::lock_guard lock(mutex_);
  Statement add(db_,
                "INSERT OR IGNORE INTO webhook_deliveries"
                "(receiver, receiver_name, event, once, queued, next_try)"
                " SELECT value ->> 0, value ->> 1, ?2, NULLIF(?3, ''), ?4, ?4 FROM json_each(?1)");
  return Done(db_, add.Bind(1, ReceiversJson(receivers))
                       .Bind(2, event.json.dump(-1, ' ', false, Json::error_handler_t::replace))
                       .Bind(3, event.once)
                       .Bind(4, now_ms)
                       .Step());
}

std::optional<QueuedDelivery> WebhookQueue::Next(const std::string& receiver_key) {
  std::lock_guard lock(mutex_);
  Statement next(db_,
                 "SELECT id, event, queued, attempts, next_try FROM webhook_deliveries"
                 " WHERE receiver = ?1 AND state = 'queued' ORDER BY id LIMIT 1");
  if (next.Bind(1, receiver_key).Step() != SQLITE_ROW) return std::nullopt;
  return QueuedDelivery{next.Integer(0), Json::parse(next.Text(1), nullptr, false), next.Integer(2),
                        next.Integer(3), next.Integer(4)};
}

Result<void> WebhookQueue::Delivered(int64_t id) {
  std::lock_guard lock(mutex_);
  Statement done(db_,
                 "UPDATE webhook_deliveries SET state = 'delivered', attempts = attempts + 1,"
                 " problem = NULL WHERE id = ?1");
  return Done(db_, done.Bind(1, id).Step());
}

Result<void> WebhookQueue::Retry(int64_t id, int64_t next_try_ms, const std::string& problem) {
  std::lock_guard lock(mutex_);
  Statement retry(db_,
                  "UPDATE webhook_deliveries SET attempts = attempts + 1, next_try = ?2,"
                  " problem = ?3 WHERE id = ?1");
  return Done(db_, retry.Bind(1, id).Bind(2, next_try_ms).Bind(3, problem).Step());
}

Result<void> WebhookQueue::GiveUp(int64_t id, const std::string& problem) {
  std::lock_guard lock(mutex_);
  Statement fail(db_,
                 "UPDATE webhook_deliveries SET state = 'failed', attempts = attempts + 1,"
                 " problem = ?2 WHERE id = ?1");
  return Done(db_, fail.Bind(1, id).Bind(2, problem).Step());
}

Result<void> WebhookQueue::Resume(const std::vector<WebhookReceiver>& receivers, int64_t now_ms) {
  std::lock_guard lock(mutex_);
  Statement resume(db_,
                   "UPDATE webhook_deliveries SET"
                   " state = CASE WHEN receiver IN (SELECT value ->> 0 FROM json_each(?1))"
                   "   THEN 'queued' ELSE 'failed' END,"
                   " problem = CASE WHEN receiver IN (SELECT value ->> 0 FROM json_each(?1))"
                   "   THEN problem ELSE 'no longer a --webhook of the server' END,"
                   " next_try = ?2 WHERE state = 'queued'");
  return Done(db_, resume.Bind(1, ReceiversJson(receivers)).Bind(2, now_ms).Step());
}

std::vector<FailedDelivery> WebhookQueue::Failures() {
  std::lock_guard lock(mutex_);
  Statement failed(db_,
                   "SELECT receiver_name, event, attempts, problem FROM webhook_deliveries"
                   " WHERE state = 'failed' ORDER BY id");
  std::vector<FailedDelivery> failures;
  while (failed.Step() == SQLITE_ROW) {
    failures.push_back({failed.Text(0), Json::parse(failed.Text(1), nullptr, false),
                        failed.Integer(2), failed.Text(3)});
  }
  return failures;
}

std::string WebhookQueue::LastFirstPlace() {
  std::lock_guard lock(mutex_);
  Statement last(db_,
                 "SELECT event ->> '$.entry' FROM webhook_deliveries"
                 " WHERE event ->> '$.event' = 'first-place' ORDER BY id DESC LIMIT 1");
  return last.Step() == SQLITE_ROW ? last.Text(0) : "";
}

}  // namespace hl::server
