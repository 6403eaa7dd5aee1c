#pragma once
// Plays the organiser at the headless window: loads the base folder, applies
// the penalties, keeps the track pictures and steps through every entry with
// the same presses a person makes in the window, so a batch run produces the
// same report and chart as an interactive one.

#include <ostream>

#include "app/batch/command_line.h"
#include "app/batch/export_run.h"
#include "app/batch/picture_writer.h"
#include "state/state.h"
#include "toolkit/ui/headless_ui.h"

namespace hl::batch {

class Organiser {
 public:
  Organiser(state::AppState& s, const BatchOptions& options, std::ostream& err);

  // Called whenever the window waits for input: queues the next presses.
  void OnIdle(ui::HeadlessUi& ui);

  bool PicturesFailed() const { return pictures_failed_; }
  // Every shown entry's pictures go to the results page as well.
  void ExportInto(ExportRun& run) { export_run_ = &run; }

 private:
  void HandleShownEntry(ui::HeadlessUi& ui);
  void SavePicture(const std::string& entry);
  void ReportPictures();

  state::AppState& s_;
  const BatchOptions& options_;
  std::ostream& err_;
  int32_t handled_step_ = 0;
  bool finished_ = false;
  bool pictures_failed_ = false;
  size_t pictures_handed_over_ = 0;
  PictureWriter pictures_writer_;
  ExportRun* export_run_ = nullptr;
};

}  // namespace hl::batch
