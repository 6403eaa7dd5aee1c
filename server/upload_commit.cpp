#include "server/upload_commit.h"

#include <filesystem>
#include <system_error>

#include "server/staged_track.h"

namespace hl::server {
namespace {

constexpr const char* kStoreFailed =
    "the server could not store the upload; please try again later";

CommittedUpload Failed(const Error& problem) {
  return {.version = std::nullopt, .status = 500, .refusal = kStoreFailed, .problem = problem};
}

std::string Size(uint64_t bytes) {
  if (bytes < (1 << 20)) return std::to_string((bytes + 1023) >> 10) + " KiB";
  return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB";
}

// Files of versions older than the newest `keep` go; their rows stay, the
// entry's history.
void DropOlderVersions(const StateFolders& folders, const std::string& entry, int64_t keep) {
  const std::vector<int64_t> kept = folders.KeptVersions(entry);
  for (size_t i = static_cast<size_t>(keep); keep > 0 && i < kept.size(); ++i)
    folders.DropVersion(entry, kept[i]);
}

}  // namespace

std::optional<std::string> QuotaRefusal(const StateFolders& folders, const std::string& entry,
                                        uint64_t incoming, const StorageLimits& limits) {
  if (limits.entrant_quota == 0) return std::nullopt;
  // The versions that stay beside the new one.
  const size_t staying =
      limits.keep_versions > 0 ? static_cast<size_t>(limits.keep_versions - 1) : SIZE_MAX;
  const uint64_t stored = folders.StoredBytes(entry, staying);
  if (stored + incoming <= limits.entrant_quota) return std::nullopt;
  return "this upload (" + Size(incoming) + ") and the versions kept of this entry (" +
         Size(stored) + ") are more than the " + Size(limits.entrant_quota) +
         " an entry may store; ask the organiser";
}

CommittedUpload CommitUpload(const StateFolders& folders, VersionStore& store,
                             const StorageLimits& limits, const std::string& entry,
                             const std::string& staging, const std::vector<StoredFile>& files,
                             const std::string& received) {
  std::error_code ec;
  uint64_t incoming = 0;
  for (const StoredFile& file : files) incoming += file.size;
  const auto track_refusal = TrackFileRefusal(staging, files);
  if (!track_refusal || *track_refusal) {
    std::filesystem::remove_all(staging, ec);
    if (!track_refusal) return Failed(track_refusal.error());
    return {.version = std::nullopt, .status = 422, .refusal = **track_refusal, .problem = {}};
  }
  if (auto refusal = QuotaRefusal(folders, entry, incoming, limits)) {
    std::filesystem::remove_all(staging, ec);
    return {.version = std::nullopt, .status = 413, .refusal = *refusal, .problem = std::nullopt};
  }
  const auto next = store.NextVersion(entry);
  if (!next) {
    std::filesystem::remove_all(staging, ec);
    return Failed(next.error());
  }
  const int64_t version = *next;
  if (auto kept = folders.KeepVersion(staging, entry, version); !kept) {
    std::filesystem::remove_all(staging, ec);
    folders.DropVersion(entry, version);
    return Failed(kept.error());
  }
  if (auto added = store.AddVersion({entry, version, received, files, {}, {}}); !added) {
    folders.DropVersion(entry, version);
    return Failed(added.error());
  }
  if (auto installed = folders.Install(entry, version); !installed) {
    // Should the row stay, the next start completes the commit, so the
    // version's files stay with it.
    if (auto dropped = store.DropVersion(entry, version); !dropped) return Failed(dropped.error());
    folders.DropVersion(entry, version);
    return Failed(installed.error());
  }
  CommittedUpload committed{.version = version, .status = 200, .refusal = "", .problem = {}};
  // The version stands from here: a commit whose end is not recorded is
  // found in place at the next start, and a folder left in swap/ is set
  // aside by the next commit.
  if (auto kept = folders.KeepReplaced(entry, version); !kept) committed.problem = kept.error();
  if (auto ended = store.EndCommit(entry); !ended) committed.problem = ended.error();
  DropOlderVersions(folders, entry, limits.keep_versions);
  return committed;
}

}  // namespace hl::server
