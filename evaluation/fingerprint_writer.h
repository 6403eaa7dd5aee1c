#pragma once
// Writes a run's fingerprints into the evaluation file. toml++ drops
// comments and reorders keys when it writes a document, and the file is the
// organiser's, so only the lines of the fingerprints table are rewritten and
// every other byte stays as it was.

#include <string>
#include <string_view>

#include "evaluation/evaluation_file.h"

namespace hl::evaluation {

// `text` with `fingerprints` as its [fingerprints] table: the entries of an
// existing table are replaced below its header line, otherwise the table is
// added at the end. Fails, naming `path`, when `text` is not valid TOML or
// the result would not read back as exactly these fingerprints.
Result<std::string> WithFingerprints(std::string_view text, const std::string& path,
                                     const Fingerprints& fingerprints);

// Reads the file as it is now (a missing one counts as empty) and replaces
// it atomically with WithFingerprints; a file that is not valid TOML is
// never overwritten.
Result<void> RecordFingerprints(const std::string& path, const Fingerprints& fingerprints);

}  // namespace hl::evaluation
