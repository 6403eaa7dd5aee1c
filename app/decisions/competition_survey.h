#pragma once
// The findings of an entry that need every other entry: copied track files
// and ghosts, and the files changed since the evaluation was recorded. The
// window shows one entry at a time, so a survey of the whole folder runs on
// another thread from "Load" on and its findings join the evidence when it
// is done.

#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "evaluation/evaluation_file.h"
#include "evaluation/file_changes.h"
#include "record/competition_record.h"

namespace hl::decisions {

struct Survey {
  // Entry folder -> its duplicate-* and changed-since-recorded findings.
  std::map<std::string, std::vector<record::Finding>> findings;
  evaluation::ChangesByFolder changes;  // empty without recorded fingerprints
};

// Evaluates every entry of `base_dir` headless, as far as its record goes,
// writing nothing. `recorded`: the fingerprints of the saved evaluation.
// Once `stop` is set it ends after the entry it is at, with what it has.
Survey SurveyCompetition(const std::string& base_dir,
                         const std::optional<evaluation::Fingerprints>& recorded,
                         const std::atomic<bool>& stop);

}  // namespace hl::decisions
