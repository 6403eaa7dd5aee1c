#include "server/worker_pool.h"

namespace hl::server {

WorkerPool::WorkerPool(size_t threads) {
  for (size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { Loop(); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  posted_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void WorkerPool::Post(std::function<void()> job) {
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  posted_.notify_one();
}

void WorkerPool::Loop() {
  std::unique_lock lock(mutex_);
  while (true) {
    posted_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
    if (jobs_.empty()) return;
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    lock.unlock();
    job();
    lock.lock();
  }
}

}  // namespace hl::server
