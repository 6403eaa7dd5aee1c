#pragma once
// The results files a run was asked for (JSON, CSV).

#include <string>

#include "record/competition_record.h"
#include "run/diagnostics.h"
#include "run/run_plan.h"

namespace hl::run {

// Replaces `path` atomically with `content`; `diagnostics` name what was
// written or could not be.
[[nodiscard]] bool WriteOutputFile(const std::string& path, const std::string& content,
                                   const char* what, Diagnostics& diagnostics);

// True when results go to standard output in place of the report.
bool ResultsReplaceReport(const RunPlan& plan);

// Writes each requested file that has a path (replacing it atomically);
// false when one could not be written.
[[nodiscard]] bool WriteResultsFiles(const record::CompetitionRecord& competition,
                                     const RunPlan& plan, Diagnostics& diagnostics);

// The results asked for on standard output; "" when none are.
std::string PrintedResults(const record::CompetitionRecord& competition, const RunPlan& plan);

}  // namespace hl::run
