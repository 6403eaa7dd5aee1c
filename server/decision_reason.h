#pragma once
// The reason an organiser gives for a decision: shown to the entrant and
// kept in the ledger, so it must be there and be plain text.

#include <optional>
#include <string>

namespace hl::server {

// Why `reason` cannot be kept, in a sentence; nullopt when it can.
std::optional<std::string> ReasonProblem(const std::string& reason);

}  // namespace hl::server
