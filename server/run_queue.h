#pragma once
// A thread that runs one job over and over as it is asked to: requests that
// arrive while a run is under way share the next run.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace hl::server {

class RunQueue {
 public:
  // With `settle`, a run after the first waits until no request came for
  // that long (at most three times as long), so that a burst of requests
  // shares one run.
  explicit RunQueue(std::function<void()> job,
                    std::chrono::milliseconds settle = std::chrono::milliseconds(0))
      : job_(std::move(job)), settle_(settle) {}
  ~RunQueue() { Stop(); }
  RunQueue(const RunQueue&) = delete;
  RunQueue& operator=(const RunQueue&) = delete;

  void Start();
  // Lets a run under way finish; later requests are not run.
  void Stop();
  void Request();
  // Requests a run and waits until one that started after the call is over.
  void RequestAndWait();
  // Requests a run once the wall clock reaches `when` (at once when it has);
  // replaces a time asked for before that has not come yet.
  void RequestAt(std::chrono::system_clock::time_point when);
  // True when a run was requested after the one under way began, or the
  // queue is stopping: for a run that may give up what the next one redoes.
  bool RunAwaited();

 private:
  void Loop();
  void WaitForRequest(std::unique_lock<std::mutex>& lock);
  void Settle(std::unique_lock<std::mutex>& lock);

  std::function<void()> job_;
  std::chrono::milliseconds settle_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int64_t requested_ = 0;
  int64_t started_ = 0;  // the requests the run under way covers
  int64_t finished_ = 0;
  std::optional<std::chrono::system_clock::time_point> due_;  // of RequestAt
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace hl::server
