#pragma once
// Changes to the evaluation file that nobody announced: an organiser who
// edits it by hand leaves one ledger record per change seen, naming the
// file's SHA-256 before and after. The server's own writes (decisions, an
// applied re-evaluation) have records of their own, so they go through
// OwnWrite and are never taken for an edit by hand.

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>

#include "server/version_store.h"

namespace hl::server {

// "sha256:" and 64 hex digits of the file's bytes; nullopt when it cannot
// be read (a missing file among them).
std::optional<std::string> EvaluationFileHash(const std::string& path);

class EvaluationEdits {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;

  // Takes the file as it is now as known. `file` "" watches nothing. A
  // record the ledger refuses is logged to `log`.
  EvaluationEdits(std::string file, VersionStore& store, std::ostream& log,
                  Clock clock = std::chrono::system_clock::now);

  // Called when the file may have changed: a change since the last known
  // bytes is recorded as an edit by hand.
  void Look();

  // Runs `write`, which changes the file on the server's own account, and
  // takes what it left as known. A change made by hand before it is
  // recorded first; none can slip in between.
  template <typename Write>
  auto OwnWrite(Write&& write) {
    std::lock_guard lock(mutex_);
    RecordHandEdit();
    auto written = write();
    known_ = EvaluationFileHash(file_);
    return written;
  }

 private:
  void RecordHandEdit();  // under `mutex_`

  const std::string file_;
  VersionStore& store_;
  std::ostream& log_;
  Clock clock_;
  std::mutex mutex_;
  std::optional<std::string> known_;  // the hash last seen or written; under `mutex_`
};

}  // namespace hl::server
