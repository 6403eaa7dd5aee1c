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

// The finding of `self`, one of the entries holding one digest (`group`, in
// folder order). It names the group by its first entry and lists at most
// kOthersListed of the others, so a competition whose entrants all share one
// ghost stays linear in size.
record::Finding GroupFinding(const record::CompetitionRecord& competition,
                             const std::vector<size_t>& group, size_t self, const char* code,
                             const std::string& what) {
  const std::string& name = competition.entries[group.front()].folder;
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
  return MakeFinding(code, std::move(message),
                     {{"entries", others}, {"group", name}, {"group_size", group.size()}});
}

void AddSharers(record::CompetitionRecord& competition, DigestOf digest, const char* code,
                const std::string& what) {
  std::map<record::Digest, std::vector<size_t>> holders;
  for (size_t i = 0; i < competition.entries.size(); ++i) {
    const auto& held = competition.entries[i].evidence.*digest;
    if (held) holders[*held].push_back(i);
  }
  for (const auto& [held, group] : holders) {
    if (group.size() < 2) continue;
    for (const size_t self : group)
      competition.entries[self].findings.push_back(
          GroupFinding(competition, group, self, code, what));
  }
}

// The finding AddSharers gives the entry at `self`, if any.
void AddSharersOf(const record::CompetitionRecord& competition, size_t self, DigestOf digest,
                  const char* code, const std::string& what,
                  std::vector<record::Finding>& findings) {
  const auto& held = competition.entries[self].evidence.*digest;
  if (!held) return;
  std::vector<size_t> group;
  for (size_t i = 0; i < competition.entries.size(); ++i) {
    if (competition.entries[i].evidence.*digest == held) group.push_back(i);
  }
  if (group.size() >= 2) findings.push_back(GroupFinding(competition, group, self, code, what));
}

constexpr const char* kTrackFileCode = "duplicate-track-file";
constexpr const char* kGhostCode = "duplicate-ghost";
constexpr const char* kTrackFileWhat = "the track file";
constexpr const char* kGhostWhat = "the ghost";

}  // namespace

void AddDuplicateFindings(record::CompetitionRecord& competition) {
  AddSharers(competition, &record::Evidence::track_file, kTrackFileCode, kTrackFileWhat);
  AddSharers(competition, &record::Evidence::ghost, kGhostCode, kGhostWhat);
}

std::vector<record::Finding> DuplicateFindingsOf(const record::CompetitionRecord& competition,
                                                 size_t index) {
  std::vector<record::Finding> findings;
  AddSharersOf(competition, index, &record::Evidence::track_file, kTrackFileCode, kTrackFileWhat,
               findings);
  AddSharersOf(competition, index, &record::Evidence::ghost, kGhostCode, kGhostWhat, findings);
  return findings;
}

}  // namespace hl::audit
