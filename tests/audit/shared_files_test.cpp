// Entries that sent in the same track file or ghost are found as groups,
// and a finding stays short however large its group is.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "audit/shared_files.h"

namespace hl::audit {
namespace {

record::Digest DigestOf(int id) {
  record::Digest digest{};
  digest[0] = static_cast<uint8_t>(id);
  digest[31] = static_cast<uint8_t>(id >> 8);
  return digest;
}

// One entry per id, named e00, e01, ...; id 0 is an entry without the file.
record::CompetitionRecord Competition(const std::vector<int>& track_files,
                                      const std::vector<int>& ghosts) {
  record::CompetitionRecord competition;
  for (size_t i = 0; i < track_files.size(); ++i) {
    record::EntryRecord entry;
    entry.folder = (i < 10 ? "e0" : "e") + std::to_string(i);
    if (track_files[i] != 0) entry.evidence.track_file = DigestOf(track_files[i]);
    if (ghosts[i] != 0) entry.evidence.ghost = DigestOf(ghosts[i]);
    competition.entries.push_back(std::move(entry));
  }
  return competition;
}

// Per entry, its findings as "code:message" joined by " | ".
std::vector<std::string> FindingLines(const record::CompetitionRecord& competition) {
  std::vector<std::string> lines;
  for (const record::EntryRecord& entry : competition.entries) {
    std::string line;
    for (const record::Finding& finding : entry.findings)
      line += (line.empty() ? "" : " | ") + finding.code + ":" + finding.message;
    lines.push_back(line);
  }
  return lines;
}

TEST(SharedFiles, GroupsEntriesHoldingOneDigest) {
  struct Case {
    const char* name;
    std::vector<int> track_files, ghosts;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"all different", {1, 2, 3}, {1, 2, 3}, {"", "", ""}},
      {"none has either", {0, 0, 0}, {0, 0, 0}, {"", "", ""}},
      {"one track file twice",
       {1, 2, 1},
       {0, 0, 0},
       {"duplicate-track-file:the track file is byte for byte that of e02", "",
        "duplicate-track-file:the track file is byte for byte that of e00"}},
      {"a ghost in three, another in two",
       {1, 2, 3, 4, 5},
       {7, 8, 7, 8, 7},
       {"duplicate-ghost:the ghost is byte for byte that of e02, e04",
        "duplicate-ghost:the ghost is byte for byte that of e03",
        "duplicate-ghost:the ghost is byte for byte that of e00, e04",
        "duplicate-ghost:the ghost is byte for byte that of e01",
        "duplicate-ghost:the ghost is byte for byte that of e00, e02"}},
      {"track file and ghost",
       {1, 1},
       {2, 2},
       {"duplicate-track-file:the track file is byte for byte that of e01 | "
        "duplicate-ghost:the ghost is byte for byte that of e01",
        "duplicate-track-file:the track file is byte for byte that of e00 | "
        "duplicate-ghost:the ghost is byte for byte that of e00"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const record::CompetitionRecord alone = Competition(c.track_files, c.ghosts);
    record::CompetitionRecord competition = alone;
    AddDuplicateFindings(competition);
    EXPECT_EQ(FindingLines(competition), c.lines);
    // One entry's findings worked out alone are those of the whole, fields and all.
    for (size_t i = 0; i < alone.entries.size(); ++i) {
      const std::vector<record::Finding> own = DuplicateFindingsOf(alone, i);
      const std::vector<record::Finding>& whole = competition.entries[i].findings;
      ASSERT_EQ(own.size(), whole.size()) << i;
      for (size_t f = 0; f < own.size(); ++f) {
        EXPECT_EQ(own[f].code, whole[f].code);
        EXPECT_EQ(own[f].message, whole[f].message);
        EXPECT_EQ(own[f].fields, whole[f].fields);
      }
    }
  }
}

TEST(SharedFiles, LargeGroupsListAtMostTwentyOthers) {
  for (const int size : {2, 6, 21, 22, 40}) {
    SCOPED_TRACE(size);
    const std::vector<int> none(static_cast<size_t>(size), 0);
    const std::vector<int> one_ghost(static_cast<size_t>(size), 9);
    record::CompetitionRecord competition = Competition(none, one_ghost);
    AddDuplicateFindings(competition);
    const size_t others = static_cast<size_t>(size) - 1;
    for (const record::EntryRecord& entry : competition.entries) {
      ASSERT_EQ(entry.findings.size(), 1u);
      const record::Finding& finding = entry.findings[0];
      EXPECT_EQ(finding.fields["group"], "e00");
      EXPECT_EQ(finding.fields["group_size"], size);
      EXPECT_EQ(finding.fields["entries"].size(), std::min(others, kOthersListed));
      for (const auto& other : finding.fields["entries"]) EXPECT_NE(other, entry.folder);
      const std::string more = others > 5 ? " and " + std::to_string(others - 5) + " more" : "";
      EXPECT_TRUE(finding.message.ends_with(more)) << finding.message;
    }
  }
}

}  // namespace
}  // namespace hl::audit
