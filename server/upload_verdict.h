#pragma once
// An upload's verdict without evaluating the whole folder again: the entry
// evaluated alone is set among the others as the last evaluation left them,
// and what a full run adds over the entries one by one (the findings that
// compare entries, those of the saved evaluation) is worked out for it among
// all of them, in the order a full run adds it.

#include <cstddef>

#include "record/competition_record.h"
#include "run/run_plan.h"

namespace hl::server {

// The competition with each entry's findings cut back to those a run of the
// entry alone gives it.
record::CompetitionRecord AsEvaluatedAlone(record::CompetitionRecord competition);

// `entry` in place of the entry of its folder, or added in name order; its
// index.
size_t PutEntry(record::CompetitionRecord& competition, record::EntryRecord entry);

// The entry at `index` of the entries evaluated alone, finished as a full run
// with `plan` finishes it among them; `plan` holds the saved evaluation as
// read (run::WithSavedEvaluation). The other entries are left as they are.
record::EntryRecord FinishedAsAFullRun(const record::CompetitionRecord& alone, size_t index,
                                       const run::RunPlan& plan);

}  // namespace hl::server
