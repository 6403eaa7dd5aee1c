#pragma once
// Writes a penalty decided in the window into the evaluation file. As with
// the fingerprints, the file is the organiser's: only the lines of that
// entry's penalty change, a changed penalty keeps the decision it replaces
// as [[penalty.earlier]], and every other byte stays as it was.

#include <string>
#include <string_view>

#include "evaluation/decision.h"

namespace hl::evaluation {

// `text` with `decision` as the penalty of `entry`: the entry's [[penalty]]
// gets the new time, reason and decided, and its old ones go into a
// [[penalty.earlier]] below it; an entry without one gets a new [[penalty]]
// after the last one (or at the end). The text as it was when the decision
// is the penalty already there. Fails, naming `path`, when `text` is not
// valid TOML or the result would not read back as exactly that change.
Result<std::string> WithDecision(std::string_view text, const std::string& path,
                                 const std::string& entry, const Decision& decision);

// Reads the file as it is now (a missing one counts as empty) and replaces
// it atomically when the decision changes it; a file that is not valid TOML
// is never overwritten. True when the file was written.
Result<bool> RecordDecision(const std::string& path, const std::string& entry,
                            const Decision& decision);

}  // namespace hl::evaluation
