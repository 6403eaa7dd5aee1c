#pragma once
// The standings as they were at the freeze. When the freeze time passes,
// the base folder and the evaluation file are kept as they are then (hard
// links under the state's frozen/, which later uploads and decisions
// replace but never change), the ledger records it once, and the page is
// exported from that copy with the standing "frozen since ...". Every
// start exports it again from the same copy, and so does the close, whose
// sentence it states.

#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>

#include "server/closing_rules.h"
#include "server/entry_commit.h"
#include "server/run_queue.h"
#include "server/version_store.h"

namespace hl::server {

class FrozenPage {
 public:
  FrozenPage(const StateFolders& folders, ClosingRules& rules, VersionStore& store,
             std::ostream& log);
  ~FrozenPage();
  FrozenPage(const FrozenPage&) = delete;
  FrozenPage& operator=(const FrozenPage&) = delete;

  void Start();
  void Stop();
  // The frozen page's folder, ending with "/"; "" until it is built.
  std::string Folder() const;

 private:
  // Looks at the rules about once a second until the freeze has passed.
  void Build();
  Result<void> KeepInputs(const evaluation::Closing& closing);
  void RecordFreeze(const evaluation::Closing& closing);
  void Export(const evaluation::Closing& closing);

  const StateFolders& folders_;
  ClosingRules& rules_;
  VersionStore& store_;
  std::ostream& log_;
  mutable std::mutex mutex_;
  std::string folder_;  // under `mutex_`
  int64_t built_ = 0;   // the build thread's own
  RunQueue queue_;
};

}  // namespace hl::server
