#pragma once
// A webhook receiver for the tests: HTTP on 127.0.0.1, one request per
// connection, every request's body kept with the status it was answered.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace hl::testing {

struct ReceivedPost {
  std::string path;
  std::string body;
  int answered = 0;
};

class WebhookReceiver {
 public:
  WebhookReceiver();
  ~WebhookReceiver();
  WebhookReceiver(const WebhookReceiver&) = delete;
  WebhookReceiver& operator=(const WebhookReceiver&) = delete;

  std::string Url(const std::string& path = "/hook") const;
  int Port() const { return port_; }
  // What the next requests are answered: 200 while up, 503 while "down".
  void AnswerWith(int status) { status_ = status; }
  int Connections() const { return connections_; }
  std::vector<ReceivedPost> Posts();
  // The bodies answered 2xx, in the order they came.
  std::vector<std::string> Delivered();
  // Waits up to `limit` for `done` over the posts so far.
  bool WaitFor(const std::function<bool(const std::vector<ReceivedPost>&)>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(20));

 private:
  void Serve();
  void Answer(int connection);

  int listener_ = -1;
  int port_ = 0;
  std::atomic<int> status_{200};
  std::atomic<int> connections_{0};
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<ReceivedPost> posts_;
  std::thread thread_;
};

}  // namespace hl::testing
