#include "run/output_needs.h"

namespace hl::run {

state::OutputNeeds NeedsOf(const RunPlan& options) {
  const bool exported = !options.export_dir.empty();
  return {
      // No step shows a screen: the results page's screens are written by
      // the screen checks, off the steps, as the window shows them.
      .screen_pictures = false,
      // The record notes every screen that does not decode; the audit, the
      // results files and the page are where the record is read.
      .screen_verdicts =
          exported || options.audit || !options.json_file.empty() || !options.csv_file.empty(),
      .track_pictures = exported || !options.pictures_dir.empty(),
      .findings = exported || options.audit || !options.json_file.empty(),
  };
}

}  // namespace hl::run
