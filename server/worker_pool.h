#pragma once
// A few threads that do the slow part of a request (committing an upload,
// evaluating it, signing up) while its connection waits suspended, so the
// threads that poll the connections are never held up.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace hl::server {

class WorkerPool {
 public:
  explicit WorkerPool(size_t threads);
  // Finishes the jobs posted, then joins the threads.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  void Post(std::function<void()> job);

 private:
  void Loop();

  std::mutex mutex_;  // guards the jobs and stopping_
  std::condition_variable posted_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace hl::server
