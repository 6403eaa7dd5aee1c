#pragma once
// Each screen checked on every core while the run goes on and the chart is
// drawn, and for a results page scaled and written as the window shows it.
// Only the record and the page hold what comes of it, and both are read
// after the run, so no step needs to wait for its screen.

#include <tbb/task_group.h>

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

#include "publish/export_plan.h"
#include "record/competition_record.h"
#include "run/picture_writer.h"

namespace hl::run {

class ScreenChecks {
 public:
  // The pictures go to `pictures`, when given; a picture `plan` holds from
  // an earlier export is put in place instead of being made again.
  ScreenChecks(PictureWriter* pictures, publish::ExportPlan* plan);
  ScreenChecks(const ScreenChecks&) = delete;
  ScreenChecks& operator=(const ScreenChecks&) = delete;
  ~ScreenChecks();

  // The screen at `path` of the record's entry `entry`; with a picture path,
  // its scaled picture is written there when it decodes.
  void Check(size_t entry, std::string path, std::optional<std::string> picture_path);

  // Waits for every check and notes each screen that does not decode.
  void NoteVerdictsIn(record::CompetitionRecord& record);

 private:
  struct Job {
    size_t entry = 0;
    std::string path;
    std::optional<std::string> picture_path;
    bool decodes = true;
  };
  void Run(Job& job) const;

  PictureWriter* pictures_;
  publish::ExportPlan* plan_;
  std::deque<Job> jobs_;  // a deque: a job's address stays while others are added
  tbb::task_group tasks_;
};

}  // namespace hl::run
