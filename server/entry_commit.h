#pragma once
// Putting a version of an entry into the base folder as one step. Every
// version lives under the state folder (versions/ENTRY/N/ENTRY, named as the
// entry so it can be evaluated as the entry), its files read-only; a commit
// links them into a folder beside the entry folder (swap/ENTRY), so each
// file is stored once, makes it durable and exchanges the two folders with
// renameat2(RENAME_EXCHANGE): the base folder holds either the old folder or
// the new one, never a mix. The folder it replaced is kept under
// replaced/ENTRY/N. The state is the server's alone (folders 0700); what it
// puts into the base folder the organiser can read.

#include <cstdint>
#include <string>
#include <vector>

#include "server/version_store.h"
#include "toolkit/text/error.h"

namespace hl::server {

class StateFolders {
 public:
  // Both absolute and ending with "/".
  StateFolders(std::string base_dir, std::string state_dir)
      : base_(std::move(base_dir)), state_(std::move(state_dir)) {}

  // Creates the state's folders; refuses a state folder inside the base
  // folder or on another file system than the base folder.
  Result<void> Prepare() const;

  const std::string& Base() const { return base_; }
  const std::string& State() const { return state_; }
  std::string Staging() const { return state_ + "staging/"; }
  // The folder holding exactly the files of the version.
  std::string VersionFolder(const std::string& entry, int64_t version) const;
  // The kept versions of the entry, newest first.
  std::vector<int64_t> KeptVersions(const std::string& entry) const;
  // The bytes of the entry's `newest` newest kept versions.
  uint64_t StoredBytes(const std::string& entry, size_t newest) const;
  std::string Database() const { return state_ + "hotlap-eval.sqlite"; }
  std::string Pages() const { return state_ + "pages/"; }
  // Where the server's runs write the report and the chart.
  std::string Reports() const { return state_ + "reports/"; }

  // A fresh, empty folder for an upload under way.
  Result<std::string> NewStagingFolder() const;
  // Moves a complete staging folder to versions/ENTRY/N, durably.
  Result<void> KeepVersion(const std::string& staging, const std::string& entry,
                           int64_t version) const;
  // Makes version N the entry folder of the base folder; on failure the
  // entry folder is as it was.
  Result<void> Install(const std::string& entry, int64_t version) const;
  // After Install: the folder version N replaced goes to replaced/ENTRY/N.
  // Left in swap/ on failure, the next Install sets it aside.
  Result<void> KeepReplaced(const std::string& entry, int64_t version) const;
  // Removes a version's files (and the folder that version replaced), as
  // if it had never been kept.
  void DropVersion(const std::string& entry, int64_t version) const;
  // A new, empty entry folder the organiser can read.
  bool MakeEntryFolder(const std::string& entry) const;
  // At start: drops unfinished uploads and versions never recorded, and
  // completes every commit the database says was under way.
  Result<void> Recover(VersionStore& store) const;

 private:
  std::string VersionHolder(const std::string& entry, int64_t version) const;
  Result<void> SetAsideSwapFolder(const std::string& entry, const std::string& label) const;
  Result<void> Exchange(const std::string& entry) const;

  std::string base_;
  std::string state_;
};

// Writes, hashes and fsyncs one uploaded file as its bytes arrive; the file
// is read-only, for it becomes a version's.
class StagedFile {
 public:
  StagedFile() = default;
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  bool Open(const std::string& path);
  bool Append(const char* data, size_t size);
  // Flushes to disk and takes the file's SHA-256; false when anything failed.
  bool Finish();
  uint64_t Size() const { return size_; }
  const std::string& Sha256Hex() const { return sha256_; }

 private:
  std::string path_;
  int fd_ = -1;
  uint64_t size_ = 0;
  bool failed_ = false;
  std::string sha256_;
};

}  // namespace hl::server
