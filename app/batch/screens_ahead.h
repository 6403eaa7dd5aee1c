#pragma once
// Screens loaded on another core ahead of the entry steps that show them.
// A step asks for its screen; by then the next few entries' screens are
// being loaded, each by the same function the step would call, so the
// run's pictures and verdicts are those of a sequential run. A screen that
// nobody has started yet is loaded by the step itself, so the run never
// waits for a core that is busy elsewhere (or that does not exist).

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <tbb/task_group.h>

#include "state/loaded_screen.h"
#include "state/output_needs.h"
#include "state/text_list.h"

namespace hl::batch {

class ScreensAhead {
 public:
  // `base_dir` ends with "/"; `folders` is the run's entry list, read as the
  // steps advance through it.
  ScreensAhead(const std::string& base_dir, const state::TextList& folders, state::OutputNeeds needs);
  ScreensAhead(const ScreensAhead&) = delete;
  ScreensAhead& operator=(const ScreensAhead&) = delete;
  ~ScreensAhead();

  // The screen at `path` for the entry the folder list is at.
  state::LoadedScreen Take(const std::string& path);

 private:
  struct Slot {
    std::string entry_dir;
    std::atomic<bool> claimed{false};
    std::mutex mutex;
    std::condition_variable done;
    bool ready = false;
    std::string path;  // the screen found in the folder; empty when none
    state::LoadedScreen screen;
  };

  void StartAhead(int64_t index);
  void Load(Slot& slot) const;
  static bool IsReady(Slot& slot);
  bool LoadOneWaiting();
  state::LoadedScreen TakeFrom(Slot& slot, const std::string& path);

  const std::string& base_dir_;
  const state::TextList& folders_;
  const state::OutputNeeds needs_;
  // By entry index; taken ones are removed. Shared with the task that loads
  // it, which may start only after the step has loaded the screen itself.
  std::map<int64_t, std::shared_ptr<Slot>> slots_;
  std::atomic<bool> stopping_{false};
  tbb::task_group tasks_;
};

}  // namespace hl::batch
