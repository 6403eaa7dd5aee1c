#pragma once
// The outputs of a run checked against its inputs and each other before
// anything is written: an output that is an input or another output, or an
// export folder inside a competition folder, is a usage error naming both.

#include <optional>
#include <string>
#include <vector>

#include "app/batch/command_line.h"
#include "season/season_file.h"

namespace hl::batch {

std::optional<std::string> OutputClash(const BatchOptions& options);
std::optional<std::string> SeasonOutputClash(const SeasonOptions& options,
                                             const season::Season& season);

// After the run, once the report and chart have their names: a results
// file or a recorded evaluation that would overwrite either.
struct WrittenReport {
  std::string base_dir;  // ends with "/"
  std::string track;     // the name report and chart are named after
};
std::optional<std::string> ReportClash(const BatchOptions& options, const WrittenReport& report);
std::optional<std::string> SeasonReportClash(const SeasonOptions& options,
                                             const std::vector<WrittenReport>& reports);

}  // namespace hl::batch
