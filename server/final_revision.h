#pragma once
// The final results as revisions under the state's final/: final/N/ holds
// the page as the server makes it, results.json and .csv, the report and
// chart, the ledger up to its publication (ledger.jsonl) and manifest.json,
// the SHA-256 of every input and output file. A revision is written into a
// temporary folder, made read-only and renamed into place; it is never
// written again, and a correction is the next revision.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/entry_commit.h"
#include "server/version_store.h"
#include "toolkit/text/error.h"

namespace hl::server {

// "final/" under the state, ending with "/".
std::string FinalFolder(const StateFolders& folders);
// The numbers of the revisions published, ascending.
std::vector<int64_t> RevisionNumbers(const StateFolders& folders);
// "final/N/" under the state.
std::string RevisionFolder(const StateFolders& folders, int64_t number);

// Why `reason` cannot be a revision's reason: it is 1 to 500 characters
// without control characters.
std::optional<std::string> FinalReasonProblem(const std::string& reason);

struct PublishedRevision {
  int64_t number = 0;
  std::string at;  // UTC, RFC 3339
};

// Evaluates the base folder with `evaluation_file` ("" for none) and writes
// the next revision; its ledger record names `actor`. Only once uploads
// are closed: the caller checks.
Result<PublishedRevision> PublishRevision(const StateFolders& folders,
                                          const std::string& evaluation_file, VersionStore& store,
                                          const std::string& actor, const std::string& reason);

// Every file that differs from revision `number`'s manifest: the revision's
// own outputs and, `with_inputs`, the inputs in the base folder and the evaluation file
// as they are now. Each is "PATH: missing", "PATH: changed" or "PATH: added".
Result<std::vector<std::string>> RevisionDifferences(const StateFolders& folders, int64_t number,
                                                     bool with_inputs);

}  // namespace hl::server
