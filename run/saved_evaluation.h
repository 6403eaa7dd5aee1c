#pragma once
// --evaluation FILE and --record: the penalties, reasons and period kept in
// an evaluation file, and the fingerprints that tell which entries changed
// since the evaluation was recorded.

#include "record/competition_record.h"
#include "run/diagnostics.h"
#include "run/run_plan.h"
#include "toolkit/text/error.h"

namespace hl::run {

// The options with the evaluation file read in: its penalties join those of
// --penalty, its period is --period's, and the whole file waits in `saved`
// for the end of the run. The options as they are without --evaluation. A
// failure names the file and the line.
[[nodiscard]] Result<RunPlan> WithSavedEvaluation(const RunPlan& options);

// After a finished run: the reasons of the file's penalties go into the
// record, every entry whose files differ from the recorded fingerprints gets
// a finding (and is named), and --record writes this run's
// fingerprints into the file. False when they could not be recorded.
[[nodiscard]] bool FinishSavedEvaluation(const RunPlan& options,
                                         record::CompetitionRecord& competition,
                                         Diagnostics& diagnostics);

}  // namespace hl::run
