#pragma once
// Findings that compare the entries with each other: track files and ghosts
// sent in by more than one entrant.

#include <cstddef>

#include "record/competition_record.h"

namespace hl::audit {

// How many of the other entries of a group one finding lists.
inline constexpr size_t kOthersListed = 20;

void AddDuplicateFindings(record::CompetitionRecord& competition);

}  // namespace hl::audit
