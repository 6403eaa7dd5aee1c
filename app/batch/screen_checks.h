#pragma once
// Whether each screen decodes, checked on every core while the run goes on
// and the chart is drawn: only the record holds the verdict, and the record
// is read after the run, so no step needs to wait for it.

#include <cstddef>
#include <deque>
#include <string>

#include <tbb/task_group.h>

#include "record/competition_record.h"

namespace hl::batch {

class ScreenChecks {
 public:
  ScreenChecks() = default;
  ScreenChecks(const ScreenChecks&) = delete;
  ScreenChecks& operator=(const ScreenChecks&) = delete;
  ~ScreenChecks();

  void Check(size_t entry, std::string path);

  // Waits for every check and notes each screen that does not decode.
  void NoteVerdictsIn(record::CompetitionRecord& record);

 private:
  struct Job {
    size_t entry = 0;
    std::string path;
    bool decodes = true;
  };

  std::deque<Job> jobs_;  // a deque: a job's address stays while others are added
  tbb::task_group tasks_;
};

}  // namespace hl::batch
