#pragma once
// An upload made the entry's new version, all or nothing: the version kept
// under the state, recorded with its commit in the database, installed as
// the entry folder. Any failure undoes every step taken, so no version, no
// row and no folder is left and the entrant can upload again at once; once
// installed, the version stands. The caller holds the entry's lock.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/entry_commit.h"
#include "server/version_store.h"
#include "toolkit/text/error.h"

namespace hl::server {

struct StorageLimits {
  int64_t keep_versions = 0;   // newest versions whose files are kept
  uint64_t entrant_quota = 0;  // bytes of those versions, the new one included
};

struct CommittedUpload {
  std::optional<int64_t> version;  // none when refused
  unsigned status = 200;           // else 422 for a track file without a lap, 413 over the quota,
                                   // 500 on a failure
  std::string refusal;             // what the entrant is told
  std::optional<Error> problem;    // for the server's log, even with a version
};

// The entrant's bytes over the quota: the refusal; none within it.
std::optional<std::string> QuotaRefusal(const StateFolders& folders, const std::string& entry,
                                        uint64_t incoming, const StorageLimits& limits);

// Commits the files of `staging` (gone afterwards, kept or removed) as the
// entry's next version, received at `received`; refuses a track file that
// holds no lap, so it never replaces the entry's current version.
CommittedUpload CommitUpload(const StateFolders& folders, VersionStore& store,
                             const StorageLimits& limits, const std::string& entry,
                             const std::string& staging, const std::vector<StoredFile>& files,
                             const std::string& received);

}  // namespace hl::server
