#pragma once
// The audit: for every entry of an evaluated competition, the findings that
// back up or question its verdict (a modified car and where it differs,
// copied files and ghosts, laps outside the competition's period, ghosts
// that jump, missing and broken files). It reads only the evaluation record
// and the reference car file and writes each entry's `findings`.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "audit/period.h"
#include "record/competition_record.h"

namespace hl::audit {

struct AuditSettings {
  std::optional<Period> period;  // dates are checked only when one is given
};

// Adds the audit's findings to every entry (other checks may add theirs).
// `reference_car` is the car file as read; it counts only when the record
// names a car file.
void AuditCompetition(record::CompetitionRecord& competition,
                      std::span<const uint8_t> reference_car, const AuditSettings& settings);

// One line per finding, "FOLDER: code: message", in folder order.
std::string FindingsText(const record::CompetitionRecord& competition);

}  // namespace hl::audit
