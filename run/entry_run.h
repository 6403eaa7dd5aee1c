#pragma once
// One entry evaluated alone, as a full run of its competition evaluates it:
// the same steps on the same facade, so its log lines and record are those
// the full run gives that entry. Findings that compare entries with each
// other (copies) are left to the full run.

#include <optional>
#include <string>
#include <vector>

#include "audit/period.h"
#include "record/competition_record.h"
#include "toolkit/raster/image.h"
#include "toolkit/text/error.h"

namespace hl::run {

struct EntryOptions {
  std::optional<std::string> penalty;   // a penalty time in place of the lap time
  std::optional<audit::Period> period;  // the days the lap had to be driven on
  bool pictures = false;                // the track and screen pictures are wanted
};

struct EvaluatedEntry {
  std::vector<std::string> log_lines;  // as the report holds them
  record::EntryRecord record;
  // With EntryOptions::pictures: the track picture when the track file was
  // accepted, the screen scaled as the window shows it when it decodes.
  std::optional<raster::Image> track_picture;
  std::optional<raster::Image> screen_picture;
};

// `reference_car` is the competition's car file, `entry_folder` the entry's
// folder (a closing "/" is optional). Fails only when the tool cannot start
// (no memory, a font missing); a car file that cannot be read is logged as a
// full run logs it.
[[nodiscard]] Result<EvaluatedEntry> EvaluateEntry(const std::string& reference_car,
                                                   const std::string& entry_folder,
                                                   const EntryOptions& options);

}  // namespace hl::run
