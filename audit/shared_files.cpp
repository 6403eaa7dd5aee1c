#include "audit/shared_files.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "audit/finding_list.h"

namespace hl::audit {
namespace {

constexpr size_t kNamesShown = 5;

using DigestOf = std::optional<record::Digest> record::Evidence::*;

// For each entry with the digest, the others that share it, in folder order.
void AddSharers(record::CompetitionRecord& competition, DigestOf digest, const char* code,
                const std::string& what) {
  std::map<record::Digest, std::vector<size_t>> holders;
  for (size_t i = 0; i < competition.entries.size(); ++i) {
    const auto& held = competition.entries[i].evidence.*digest;
    if (held) holders[*held].push_back(i);
  }
  for (const auto& [held, group] : holders) {
    if (group.size() < 2) continue;
    for (const size_t self : group) {
      std::vector<std::string> others;
      for (const size_t other : group) {
        if (other != self) others.push_back(competition.entries[other].folder);
      }
      std::string message = what + " is byte for byte that of " + ListText(others, kNamesShown);
      competition.entries[self].findings.push_back(
          MakeFinding(code, std::move(message), {{"entries", others}}));
    }
  }
}

}  // namespace

void AddDuplicateFindings(record::CompetitionRecord& competition) {
  AddSharers(competition, &record::Evidence::track_file, "duplicate-track-file", "the track file");
  AddSharers(competition, &record::Evidence::ghost, "duplicate-ghost", "the ghost");
}

}  // namespace hl::audit
