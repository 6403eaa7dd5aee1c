#pragma once
// Tells the --webhook receivers what happens: an event is queued in the
// database (one INSERT, never waiting for a receiver) and each receiver's
// thread posts its events in the order queued, within moments when it
// answers, else again and again with a growing wait until it answers or a
// day has passed (then it is given up, logged and listed). Deliveries
// queued when the server stops are made after it starts again.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "server/webhook_event.h"
#include "server/webhook_options.h"
#include "server/webhook_queue.h"
#include "toolkit/text/error.h"

namespace hl::server {

class WebhookPost;

class WebhookNotifier {
 public:
  // Opens the queue in the server's database and starts the deliveries.
  static Result<std::unique_ptr<WebhookNotifier>> Start(const std::string& database,
                                                        const WebhookOptions& options,
                                                        std::ostream& log);
  // Stops the deliveries (an attempt under way ends within its timeout);
  // what is not delivered stays queued.
  ~WebhookNotifier();
  WebhookNotifier(const WebhookNotifier&) = delete;
  WebhookNotifier& operator=(const WebhookNotifier&) = delete;

  void Notify(const WebhookEvent& event);
  // Tells a first place when `entry` is not the one told last (before a
  // restart too); `time` in hundredths.
  void FirstPlace(const std::string& entry, int64_t time);
  // What was given up, oldest first, for the console.
  std::vector<FailedDelivery> FailedDeliveries();

 private:
  struct Receiver {
    std::string url;
    WebhookReceiver known;
  };

  WebhookNotifier(std::unique_ptr<WebhookQueue> queue, const WebhookOptions& options,
                  std::ostream& log);
  void Deliver(const Receiver& receiver);
  // False when the database could not note the outcome.
  bool Attempt(const Receiver& receiver, WebhookPost& post, const QueuedDelivery& delivery);
  void Log(const std::string& line);

  std::unique_ptr<WebhookQueue> queue_;
  const WebhookOptions options_;
  std::ostream& log_;  // each line written with one call, as the server's other threads do
  std::vector<Receiver> receivers_;
  std::vector<WebhookReceiver> known_;  // receivers_' keys and names, as the queue takes them

  std::mutex mutex_;  // guards the two below
  std::condition_variable changed_;
  int64_t events_added_ = 0;
  bool stopping_ = false;

  std::mutex leader_mutex_;  // guards told_leader_, and queues one first place at a time
  std::string told_leader_;

  std::vector<std::thread> threads_;  // one per receiver
};

}  // namespace hl::server
