#pragma once
// SHA-256 fingerprints of file data, for telling whether two entries sent
// the same bytes and whether a file changed since it was recorded.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace hl::files {

using Sha256Digest = std::array<uint8_t, 32>;

Sha256Digest Sha256(std::span<const uint8_t> bytes);
// The digest of a regular file's bytes, read in blocks so a large file costs
// no memory; nullopt when it cannot be opened or read.
std::optional<Sha256Digest> Sha256OfFile(const std::string& path);
// "sha256:" and 64 lower-case hex digits.
std::string Sha256Text(const Sha256Digest& digest);

}  // namespace hl::files
