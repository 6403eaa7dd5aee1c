#pragma once
// A thread that runs one job over and over as it is asked to: requests that
// arrive while a run is under way share the next run.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace hl::server {

class RunQueue {
 public:
  explicit RunQueue(std::function<void()> job) : job_(std::move(job)) {}
  ~RunQueue() { Stop(); }
  RunQueue(const RunQueue&) = delete;
  RunQueue& operator=(const RunQueue&) = delete;

  void Start();
  // Lets a run under way finish; later requests are not run.
  void Stop();
  void Request();
  // Requests a run and waits until one that started after the call is over.
  void RequestAndWait();

 private:
  void Loop();

  std::function<void()> job_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int64_t requested_ = 0;
  int64_t finished_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace hl::server
