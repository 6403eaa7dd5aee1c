#pragma once
// The fingerprints of every file a run read: the reference car file and each
// entry's track, game and screen files, by the names the record lists.

#include <string>
#include <vector>

#include "evaluation/evaluation_file.h"
#include "record/competition_record.h"

namespace hl::evaluation {

struct RunFingerprints {
  Fingerprints files;
  std::vector<std::string> not_taken;  // one line each: the file and why
};

// Hashed from the files on disk after the run: the decoders keep no raw
// bytes of the game and screen files, and the names in the record are the
// files they opened.
RunFingerprints TakeFingerprints(const record::CompetitionRecord& competition);

}  // namespace hl::evaluation
