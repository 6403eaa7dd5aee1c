#pragma once
// Findings that compare the entries with each other: track files and ghosts
// sent in by more than one entrant.

#include "record/competition_record.h"

namespace hl::audit {

void AddDuplicateFindings(record::CompetitionRecord& competition);

}  // namespace hl::audit
