#pragma once
// What differs between the recorded fingerprints and this run's, entry by
// entry: the files an entrant replaced, added or took away since the
// evaluation was recorded.

#include <map>
#include <string>
#include <vector>

#include "evaluation/evaluation_file.h"
#include "record/competition_record.h"

namespace hl::evaluation {

inline constexpr const char* kChangedSinceRecorded = "changed-since-recorded";

enum class Change { Changed, Added, Removed };

struct FileChange {
  std::string file;  // below the base folder
  Change change = Change::Changed;
};

// Keyed by entry folder; "" holds the base folder's own files (the car file).
using ChangesByFolder = std::map<std::string, std::vector<FileChange>>;

ChangesByFolder CompareFingerprints(const Fingerprints& recorded, const Fingerprints& current);

// A changed-since-recorded finding with field `files` for every entry of the
// record that has changes.
void AddChangeFindings(const ChangesByFolder& changes, record::CompetitionRecord& competition);

// "anna/eichwald.trk changed, anna/screen.jpg removed"
std::string DescribeChanges(const std::vector<FileChange>& changes);

}  // namespace hl::evaluation
