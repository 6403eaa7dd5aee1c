#pragma once
// Findings that compare the entries with each other: track files and ghosts
// sent in by more than one entrant.

#include <cstddef>
#include <vector>

#include "record/competition_record.h"

namespace hl::audit {

// How many of the other entries of a group one finding lists.
inline constexpr size_t kOthersListed = 20;

void AddDuplicateFindings(record::CompetitionRecord& competition);

// The findings AddDuplicateFindings gives the entry at `index`, in the same
// order, without working out those of every other entry.
std::vector<record::Finding> DuplicateFindingsOf(const record::CompetitionRecord& competition,
                                                 size_t index);

}  // namespace hl::audit
