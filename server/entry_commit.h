#pragma once
// Putting a version of an entry into the base folder as one step. Every
// version lives under the state folder (versions/ENTRY/N); a commit copies
// it beside the entry folder (swap/ENTRY), makes it durable and exchanges the
// two folders with renameat2(RENAME_EXCHANGE), so the base folder holds
// either the old folder or the new one, never a mix. The folder it replaced
// is kept under replaced/ENTRY/N.

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
  std::string VersionFolder(const std::string& entry, int64_t version) const;
  std::string Database() const { return state_ + "hotlap-eval.sqlite"; }
  std::string Pages() const { return state_ + "pages/"; }

  // A fresh, empty folder for an upload under way.
  Result<std::string> NewStagingFolder() const;
  // Moves a complete staging folder to versions/ENTRY/N, durably.
  Result<void> KeepVersion(const std::string& staging, const std::string& entry,
                           int64_t version) const;
  // Makes version N the entry folder of the base folder.
  Result<void> Install(const std::string& entry, int64_t version) const;
  // At start: drops unfinished uploads and versions never recorded, and
  // completes every commit the database says was under way.
  Result<void> Recover(VersionStore& store) const;

 private:
  Result<void> SetAsideSwapFolder(const std::string& entry, const std::string& label) const;

  std::string base_;
  std::string state_;
};

// Writes, hashes and fsyncs one uploaded file as its bytes arrive.
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
