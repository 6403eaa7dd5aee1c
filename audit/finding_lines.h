#pragma once
// An entry's findings as the evidence window and the review console show
// them: one readable line each, the car's differing bytes below its finding.

#include <optional>
#include <string>
#include <vector>

#include "record/competition_record.h"

namespace hl::audit {

// The findings in their order; "No findings" without one.
std::vector<std::string> FindingLines(const std::vector<record::Finding>& findings);

// "Screen shot: NAME decodes", "... does not decode", or "Screen shot: none".
std::string ScreenVerdictLine(const std::optional<std::string>& screen_file, bool unreadable);

}  // namespace hl::audit
