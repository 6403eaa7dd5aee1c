#include "audit/shared_files.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "audit/finding_list.h"

namespace hl::audit {
namespace {

constexpr size_t kNamesShown = 5;

using DigestOf = std::optional<record::Digest> record::Evidence::*;

// The entries holding one digest, in folder order. Each finding names the
// group by its first entry and lists at most kOthersListed of the others,
// so a competition whose entrants all share one ghost stays linear in size.
void AddGroupFindings(record::CompetitionRecord& competition, const std::vector<size_t>& group,
                      const char* code, const std::string& what) {
  const std::string& name = competition.entries[group.front()].folder;
  for (const size_t self : group) {
    std::vector<std::string> others;
    for (size_t i = 0; i < group.size() && others.size() < kOthersListed; ++i) {
      if (group[i] != self) others.push_back(competition.entries[group[i]].folder);
    }
    const size_t all_others = group.size() - 1;
    std::vector<std::string> named(others.begin(),
                                   others.begin() + std::min(others.size(), kNamesShown));
    std::string message = what + " is byte for byte that of " + ListText(named, kNamesShown);
    if (all_others > named.size())
      message += " and " + std::to_string(all_others - named.size()) + " more";
    competition.entries[self].findings.push_back(
        MakeFinding(code, std::move(message),
                    {{"entries", others}, {"group", name}, {"group_size", group.size()}}));
  }
}

void AddSharers(record::CompetitionRecord& competition, DigestOf digest, const char* code,
                const std::string& what) {
  std::map<record::Digest, std::vector<size_t>> holders;
  for (size_t i = 0; i < competition.entries.size(); ++i) {
    const auto& held = competition.entries[i].evidence.*digest;
    if (held) holders[*held].push_back(i);
  }
  for (const auto& [held, group] : holders) {
    if (group.size() >= 2) AddGroupFindings(competition, group, code, what);
  }
}

}  // namespace

void AddDuplicateFindings(record::CompetitionRecord& competition) {
  AddSharers(competition, &record::Evidence::track_file, "duplicate-track-file", "the track file");
  AddSharers(competition, &record::Evidence::ghost, "duplicate-ghost", "the ghost");
}

}  // namespace hl::audit
