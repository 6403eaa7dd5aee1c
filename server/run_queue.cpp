#include "server/run_queue.h"

namespace hl::server {

void RunQueue::Start() {
  thread_ = std::thread([this] { Loop(); });
}

void RunQueue::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void RunQueue::Request() {
  {
    std::lock_guard lock(mutex_);
    ++requested_;
  }
  changed_.notify_all();
}

void RunQueue::RequestAndWait() {
  std::unique_lock lock(mutex_);
  const int64_t wanted = ++requested_;
  changed_.notify_all();
  changed_.wait(lock, [&] { return finished_ >= wanted || stopping_; });
}

void RunQueue::RequestAt(std::chrono::system_clock::time_point when) {
  {
    std::lock_guard lock(mutex_);
    due_ = when;
  }
  changed_.notify_all();
}

bool RunQueue::RunAwaited() {
  std::lock_guard lock(mutex_);
  return requested_ > started_ || stopping_;
}

// Sleeps until a run is requested or the queue stops; the time of RequestAt
// counts as a request once it comes.
void RunQueue::WaitForRequest(std::unique_lock<std::mutex>& lock) {
  while (requested_ <= finished_ && !stopping_) {
    if (!due_) {
      changed_.wait(lock);
    } else if (changed_.wait_until(lock, *due_) == std::cv_status::timeout) {
      due_.reset();
      ++requested_;
    }
  }
}

void RunQueue::Settle(std::unique_lock<std::mutex>& lock) {
  const auto latest = std::chrono::steady_clock::now() + 3 * settle_;
  int64_t seen = requested_;
  while (std::chrono::steady_clock::now() < latest && changed_.wait_for(lock, settle_, [&] {
    return requested_ != seen || stopping_;
  }) && !stopping_) {
    seen = requested_;
  }
}

void RunQueue::Loop() {
  std::unique_lock lock(mutex_);
  while (true) {
    WaitForRequest(lock);
    if (stopping_) break;
    // The first run answers the start, which no burst shares.
    if (settle_.count() > 0 && finished_ > 0) Settle(lock);
    if (stopping_) break;
    const int64_t covering = requested_;
    started_ = covering;
    lock.unlock();
    job_();
    lock.lock();
    finished_ = covering;
    changed_.notify_all();
  }
  changed_.notify_all();
}

}  // namespace hl::server
