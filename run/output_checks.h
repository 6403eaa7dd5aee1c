#pragma once
// The outputs of a run checked against its inputs and each other before
// anything is written: an output that is an input or another output, or an
// export folder inside a competition folder, is a usage error naming both.

#include <optional>
#include <string>
#include <vector>

#include "run/run_plan.h"
#include "season/season_file.h"

namespace hl::run {

// The outputs of a season run, as given on its command line.
struct SeasonOutputs {
  std::string season_file;
  std::string json_file;   // absolute, kStandardOutput or ""
  std::string csv_file;    // absolute, kStandardOutput or ""
  std::string export_dir;  // absolute, ends with "/"; or ""
};

std::optional<std::string> OutputClash(const RunPlan& plan);
std::optional<std::string> SeasonOutputClash(const SeasonOutputs& outputs,
                                             const season::Season& season);

// After the run, once the report and chart have their names: a results
// file or a recorded evaluation that would overwrite either.
struct WrittenReport {
  std::string base_dir;  // ends with "/"
  std::string track;     // the name report and chart are named after
};
std::optional<std::string> ReportClash(const RunPlan& plan, const WrittenReport& report);
std::optional<std::string> SeasonReportClash(const SeasonOutputs& outputs,
                                             const std::vector<WrittenReport>& reports);

}  // namespace hl::run
