#pragma once
// When uploads close and whether the results are final, as the competition's
// evaluation file says now (or --closes). The organiser edits the file while
// the server runs, so it is read again whenever it changed. A file that
// cannot be read leaves the last good rules in force and is never written;
// its problem is logged once.

#include <sys/types.h>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>

#include "evaluation/closing_time.h"

namespace hl::server {

class ClosingRules {
 public:
  // `evaluation_file` is "" without one; a file that does not exist reads
  // as one without rules. `given_closes` and `given_freeze` are --closes
  // and --freeze, which the file must then not set as well.
  ClosingRules(std::string evaluation_file, std::string base_dir,
               std::optional<evaluation::ClosingTime> given_closes, std::ostream& log,
               std::optional<evaluation::ClosingTime> given_freeze = std::nullopt);

  // Reads the file again when its identity, size or times changed since the
  // last look. True when they did: its penalties and period may be new too.
  bool Refresh();
  // `changed` is called by each Refresh that finds the file changed. Set it
  // before anything refreshes on another thread.
  void OnChange(std::function<void()> changed) { changed_ = std::move(changed); }
  evaluation::Closing Now() const;
  // The file a run reads now: "" when none exists by its name, as a batch
  // run that names none is given none.
  std::string FileForRuns() const;

 private:
  struct Stamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t modified_ns = 0;
    int64_t changed_ns = 0;
    bool operator==(const Stamp&) const = default;
  };
  Stamp StampNow() const;
  void Report(const std::string& problem);

  const std::string file_;
  const std::string base_dir_;
  const std::optional<evaluation::ClosingTime> given_closes_;
  const std::optional<evaluation::ClosingTime> given_freeze_;
  std::ostream& log_;
  std::function<void()> changed_;
  mutable std::mutex mutex_;
  evaluation::Closing closing_;  // the last good rules
  std::optional<Stamp> seen_;    // nullopt before the first look
  std::string reported_;         // the problem logged last, so it is logged once
};

}  // namespace hl::server
