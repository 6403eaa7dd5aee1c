#pragma once
// The server's answers come before its background work: the thread that
// builds the pages and the worker threads its runs share run at a lower
// priority, so an upload waits for no page. Without privileges a thread
// cannot raise its priority again, so only threads that do nothing else
// are lowered.

#include <tbb/task_arena.h>
#include <tbb/task_scheduler_observer.h>

namespace hl::server {

// Lowers the calling thread's priority, once.
void RunInBackground();

// While it lives, every worker thread that joins `arena` runs in the
// background from then on.
class BackgroundWorkers : public tbb::task_scheduler_observer {
 public:
  explicit BackgroundWorkers(tbb::task_arena& arena) : tbb::task_scheduler_observer(arena) {
    observe(true);
  }
  ~BackgroundWorkers() override { observe(false); }
  BackgroundWorkers(const BackgroundWorkers&) = delete;
  BackgroundWorkers& operator=(const BackgroundWorkers&) = delete;

  void on_scheduler_entry(bool is_worker) override {
    if (is_worker) RunInBackground();
  }
};

}  // namespace hl::server
