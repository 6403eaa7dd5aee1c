#include "app/batch/batch_needs.h"

namespace hl::batch {

state::OutputNeeds NeedsOf(const BatchOptions& options) {
  const bool exported = !options.export_dir.empty();
  return {
      // The results page shows each screen as the window does.
      .screen_pictures = exported,
      // The record notes every screen that does not decode; the audit, the
      // results files and the page are where the record is read.
      .screen_verdicts =
          exported || options.audit || !options.json_file.empty() || !options.csv_file.empty(),
      .track_pictures = exported || !options.pictures_dir.empty(),
  };
}

}  // namespace hl::batch
