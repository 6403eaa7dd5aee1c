#pragma once
// The findings one entry's own record supports, without looking at the
// other entries.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "audit/period.h"
#include "record/competition_record.h"

namespace hl::audit {

// Missing files, a screen that does not decode, a damaged track file.
void AddFileFindings(const record::EntryRecord& entry, std::vector<record::Finding>& findings);

// car-modified or car-not-checked for an accepted track file whose car the
// car check did not find. `car_file` names the reference when one was read.
void AddCarFindings(const record::EntryRecord& entry, const std::optional<std::string>& car_file,
                    std::span<const uint8_t> reference_car, std::vector<record::Finding>& findings);

void AddPeriodFindings(const record::EntryRecord& entry, const Period& period,
                       std::vector<record::Finding>& findings);

void AddGhostJumpFindings(const record::EntryRecord& entry, std::vector<record::Finding>& findings);

}  // namespace hl::audit
