#pragma once
// What a finding means to the entrant whose lap it concerns, and what to do
// about it, by the finding's code: one sentence each.

#include <string_view>

namespace hl::audit {

// "" for a code without advice.
std::string_view FindingAdvice(std::string_view code);

}  // namespace hl::audit
