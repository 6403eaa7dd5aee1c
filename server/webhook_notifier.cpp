#include "server/webhook_notifier.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <ctime>

#include "evaluation/closing_time.h"
#include "server/access_token.h"
#include "server/request_checks.h"
#include "server/webhook_address.h"
#include "server/webhook_body.h"
#include "server/webhook_post.h"

namespace hl::server {
namespace {

using Clock = std::chrono::system_clock;
using std::chrono::milliseconds;

int64_t NowMs() {
  return std::chrono::duration_cast<milliseconds>(Clock::now().time_since_epoch()).count();
}

Clock::time_point AtMs(int64_t ms) { return Clock::time_point(milliseconds(ms)); }

// The wait before attempt `attempts + 1`: doubled with each, up to the longest.
int64_t WaitMs(const WebhookTiming& timing, int64_t attempts) {
  const int64_t longest = timing.longest_wait.count();
  int64_t wait = std::max<int64_t>(timing.first_retry.count(), 1);
  for (int64_t i = 0; i < attempts && wait < longest; ++i) wait *= 2;
  return std::min(wait, longest);
}

// "upload of anna", "closed": an event as the log names it.
std::string EventLabel(const nlohmann::ordered_json& event) {
  const std::string kind = event.value("event", "event");
  const auto entry = event.find("entry");
  return LogSafe(entry != event.end() && entry->is_string()
                     ? kind + " of " + entry->get<std::string>()
                     : kind);
}

}  // namespace

Result<std::unique_ptr<WebhookNotifier>> WebhookNotifier::Start(const std::string& database,
                                                                const WebhookOptions& options,
                                                                std::ostream& log) {
  auto queue = WebhookQueue::Open(database);
  if (!queue) return Fail(queue.error());
  curl_global_init(CURL_GLOBAL_DEFAULT);
  std::unique_ptr<WebhookNotifier> notifier(new WebhookNotifier(std::move(*queue), options, log));
  if (auto resumed = notifier->queue_->Resume(notifier->known_, NowMs()); !resumed)
    return Fail(resumed.error());
  notifier->told_leader_ = notifier->queue_->LastFirstPlace();
  for (const Receiver& receiver : notifier->receivers_)
    notifier->threads_.emplace_back([raw = notifier.get(), &receiver] { raw->Deliver(receiver); });
  return notifier;
}

WebhookNotifier::WebhookNotifier(std::unique_ptr<WebhookQueue> queue, const WebhookOptions& options,
                                 std::ostream& log)
    : queue_(std::move(queue)), options_(options), log_(log) {
  for (const std::string& url : options_.urls) {
    // A URL given twice is one receiver, told each event once.
    const auto same = [&url](const Receiver& receiver) { return receiver.url == url; };
    if (std::any_of(receivers_.begin(), receivers_.end(), same)) continue;
    // Kept as tokens are, so the database holds no URL and its secret.
    receivers_.push_back({url, {TokenHash(url), ReceiverName(url)}});
    known_.push_back(receivers_.back().known);
  }
}

WebhookNotifier::~WebhookNotifier() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void WebhookNotifier::Notify(const WebhookEvent& event) {
  if (receivers_.empty()) return;
  if (auto added = queue_->Add(known_, event, NowMs()); !added) {
    Log("webhook event " + EventLabel(event.json) +
        " not queued: " + LogSafe(added.error().Describe()));
    return;
  }
  {
    std::lock_guard lock(mutex_);
    ++events_added_;
  }
  changed_.notify_all();
}

void WebhookNotifier::FirstPlace(const std::string& entry, int64_t time) {
  std::lock_guard lock(leader_mutex_);
  if (receivers_.empty() || entry == told_leader_) return;
  told_leader_ = entry;
  Notify(FirstPlaceEvent(evaluation::Rfc3339Utc(std::time(nullptr)), entry, time));
}

std::vector<FailedDelivery> WebhookNotifier::FailedDeliveries() { return queue_->Failures(); }

void WebhookNotifier::Deliver(const Receiver& receiver) {
  WebhookPost post(options_.allow_private, options_.timing.timeout);
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    const int64_t seen = events_added_;
    lock.unlock();
    const auto next = queue_->Next(receiver.known.key);
    bool noted = true;
    if (next && next->next_try_ms <= NowMs()) noted = Attempt(receiver, post, *next);
    lock.lock();
    const auto woken = [&] { return stopping_ || events_added_ != seen; };
    if (!noted) {
      // The database refused the outcome: not again at once.
      changed_.wait_for(lock, options_.timing.first_retry, [&] { return stopping_; });
    } else if (next && next->next_try_ms > NowMs()) {
      changed_.wait_until(lock, AtMs(next->next_try_ms), woken);
    } else if (!next) {
      changed_.wait(lock, woken);
    }
  }
}

bool WebhookNotifier::Attempt(const Receiver& receiver, WebhookPost& post,
                              const QueuedDelivery& delivery) {
  const auto problem = post.Send(receiver.url, WebhookBody(delivery.event, options_.format));
  const std::string what = "webhook " + receiver.known.name + ": " + EventLabel(delivery.event);
  const int64_t now = NowMs();
  Result<void> noted;
  if (!problem) {
    noted = queue_->Delivered(delivery.id);
    if (delivery.attempts > 0)
      Log(what + " delivered at attempt " + std::to_string(delivery.attempts + 1));
  } else if (now - delivery.queued_ms >= options_.timing.give_up_after.count()) {
    noted = queue_->GiveUp(delivery.id, *problem);
    Log(what + " given up after " + std::to_string(delivery.attempts + 1) +
        " attempts: " + LogSafe(*problem));
  } else {
    noted = queue_->Retry(delivery.id, now + WaitMs(options_.timing, delivery.attempts), *problem);
    if (delivery.attempts == 0) Log(what + " not delivered, trying again: " + LogSafe(*problem));
  }
  if (!noted) Log(what + ": " + LogSafe(noted.error().Describe()));
  return noted.has_value();
}

void WebhookNotifier::Log(const std::string& line) {
  log_ << ("hotlap-eval: " + line + "\n") << std::flush;
}

}  // namespace hl::server
