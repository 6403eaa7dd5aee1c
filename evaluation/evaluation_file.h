#pragma once
// The saved evaluation of a competition: the penalties with their reasons,
// the period the laps must fall in, and the fingerprints of the files the
// last recorded run read. The organiser edits the file by hand, so every
// mistake in it is named with its line before anything is evaluated.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "evaluation/closing_time.h"
#include "evaluation/decision.h"
#include "toolkit/text/error.h"

namespace hl::evaluation {

struct SavedPenalty {
  std::string entry;                   // an entry folder of the base folder
  std::string time;                    // as --penalty takes it: 1 to 5 digits
  std::string reason;                  // empty when none was given
  int64_t line = 0;                    // where the [[penalty]] table starts
  std::optional<std::string> decided;  // RFC 3339; absent in penalties written by hand
  std::optional<std::string> by;       // who decided; absent in older files
  std::vector<Decision> earlier;       // decisions it replaced, oldest first
};

// Path below the base folder ("anna/eichwald.trk", "reference.car") ->
// "sha256:" and 64 hex digits.
using Fingerprints = std::map<std::string, std::string>;

struct EvaluationFile {
  std::optional<std::string> period;  // as written; --period's parser checks it
  int64_t period_line = 0;
  std::vector<SavedPenalty> penalties;       // in force, in file order
  std::vector<SavedPenalty> withdrawn;       // withdrawn = true: applied nowhere
  std::optional<Fingerprints> fingerprints;  // absent until a run recorded them
  Closing closing;                           // read by the server only
};

// Reads and checks the file. A failure's `what` starts with "line N: ".
// With `missing_is_empty` a file that does not exist reads as an empty one,
// so the first --record can create it.
Result<EvaluationFile> ReadEvaluationFile(const std::string& path, const std::string& base_dir,
                                          bool missing_is_empty);

// The file's bytes; nullopt when it does not exist.
Result<std::optional<std::string>> ReadEvaluationText(const std::string& path);

}  // namespace hl::evaluation
