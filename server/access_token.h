#pragma once
// Entrants' tokens: 128 random bits shown once as 32 hex digits; the server
// keeps only their SHA-256, and compares those in constant time.

#include <optional>
#include <string>
#include <string_view>

namespace hl::server {

// A new token from the kernel's random source; nullopt when it gave none.
std::optional<std::string> NewToken();
// What the database keeps of a token: its SHA-256 as 64 hex digits.
std::string TokenHash(std::string_view token);
// Equal texts, in time that depends on their length only.
bool SameHash(std::string_view a, std::string_view b);

}  // namespace hl::server
