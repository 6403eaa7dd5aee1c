#include "server/entry_commit.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "toolkit/files/posix_io.h"
#include "toolkit/files/sha256.h"

namespace hl::server {
namespace {

namespace fs = std::filesystem;

Error Failed(const std::string& what, const std::string& path) {
  return {what + ": " + std::strerror(errno), path, std::nullopt};
}

bool SyncPath(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = fsync(fd) == 0;
  close(fd);
  return synced;
}

constexpr mode_t kStateFolderMode = 0700;
constexpr mode_t kEntryFolderMode = 0755;
constexpr mode_t kVersionFileMode = 0444;

// A folder of the state, the server's alone, whatever mode it had before.
bool MakeStateFolder(const std::string& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  return fs::is_directory(path, ec) && chmod(path.c_str(), kStateFolderMode) == 0;
}

// A folder for the base folder (mkdir's mode is cut by the server's umask).
bool MakeEntryFolderAt(const std::string& path) {
  return mkdir(path.c_str(), kEntryFolderMode) == 0 && chmod(path.c_str(), kEntryFolderMode) == 0;
}

// Plain numbers only: the name of a version's folder.
std::optional<int64_t> VersionNumber(const std::string& name) {
  const bool numbered =
      !name.empty() && name.size() < 18 &&
      std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!numbered) return std::nullopt;
  return std::stoll(name);
}

std::string FileHash(const std::string& path) {
  const auto digest = files::Sha256OfFile(path);
  if (!digest) return "";
  const std::string text = files::Sha256Text(*digest);
  return text.substr(text.find(':') + 1);
}

// The regular files of a folder, by name.
std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(folder, ec)) {
    if (item.is_regular_file(ec)) names.push_back(item.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// True when the folder holds exactly the version's files, byte for byte.
bool FolderHolds(const std::string& folder, const std::vector<StoredFile>& files) {
  std::vector<std::string> expected;
  for (const StoredFile& file : files) expected.push_back(file.name);
  std::sort(expected.begin(), expected.end());
  if (FileNames(folder) != expected) return false;
  return std::all_of(files.begin(), files.end(), [&](const StoredFile& file) {
    return FileHash(folder + "/" + file.name) == file.sha256;
  });
}

// The real path as "/a/b/" (links resolved as far as the path exists), so
// that one folder lies inside another exactly when its text starts with the other's.
std::string RealFolderText(const std::string& path) {
  std::error_code ec;
  std::string text = fs::weakly_canonical(path, ec).lexically_normal().string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

}  // namespace

Result<void> StateFolders::Prepare() const {
  if (RealFolderText(state_).starts_with(RealFolderText(base_)))
    return Fail(
        {"the state folder must not lie inside the base folder, where every folder is "
         "an entry",
         state_, std::nullopt});
  // Checked on the folder itself or, before it exists, on the nearest one
  // that does, so a refused state folder is never created.
  fs::path existing = fs::path(state_).lexically_normal();
  std::error_code ec;
  while (!fs::exists(existing, ec) && existing.has_relative_path())
    existing = existing.parent_path();
  struct stat base_status {};
  struct stat state_status {};
  if (stat(base_.c_str(), &base_status) != 0) return Fail(Failed("cannot read", base_));
  if (stat(existing.c_str(), &state_status) != 0)
    return Fail(Failed("cannot read", existing.string()));
  if (base_status.st_dev != state_status.st_dev)
    return Fail(
        {"the state folder must be on the same file system as the base folder, so an "
         "upload can replace an entry folder in one step",
         state_, std::nullopt});
  for (const std::string& folder : {state_, Staging(), state_ + "versions/", state_ + "swap/",
                                    state_ + "replaced/", Pages(), Reports()}) {
    if (!MakeStateFolder(folder)) return Fail(Failed("cannot create the folder", folder));
  }
  return {};
}

std::string StateFolders::VersionHolder(const std::string& entry, int64_t version) const {
  return state_ + "versions/" + entry + "/" + std::to_string(version);
}

std::string StateFolders::VersionFolder(const std::string& entry, int64_t version) const {
  return VersionHolder(entry, version) + "/" + entry;
}

std::vector<int64_t> StateFolders::KeptVersions(const std::string& entry) const {
  std::vector<int64_t> versions;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(state_ + "versions/" + entry, ec)) {
    if (const auto number = VersionNumber(item.path().filename().string()))
      versions.push_back(*number);
  }
  std::sort(versions.rbegin(), versions.rend());
  return versions;
}

uint64_t StateFolders::StoredBytes(const std::string& entry, size_t newest) const {
  uint64_t bytes = 0;
  const std::vector<int64_t> versions = KeptVersions(entry);
  for (size_t i = 0; i < versions.size() && i < newest; ++i) {
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(VersionFolder(entry, versions[i]), ec)) {
      if (item.is_regular_file(ec)) bytes += item.file_size(ec);
    }
  }
  return bytes;
}

Result<std::string> StateFolders::NewStagingFolder() const {
  std::string pattern = Staging() + "upload-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return Fail(Failed("cannot stage an upload", Staging()));
  return pattern;
}

Result<void> StateFolders::KeepVersion(const std::string& staging, const std::string& entry,
                                       int64_t version) const {
  const std::string entry_versions = state_ + "versions/" + entry;
  if (!MakeStateFolder(entry_versions)) return Fail(Failed("cannot create", entry_versions));
  // The version appears whole: its files are named as the entry inside a
  // holder made in the staging folder, which then takes the version's number.
  std::string holder = Staging() + "version-XXXXXX";
  if (mkdtemp(holder.data()) == nullptr) return Fail(Failed("cannot create", holder));
  const std::string named = holder + "/" + entry;
  const std::string target = VersionHolder(entry, version);
  const bool kept =
      SyncPath(staging) && std::rename(staging.c_str(), named.c_str()) == 0 && SyncPath(holder) &&
      renameat2(AT_FDCWD, holder.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
  if (!kept) {
    const Error failed = Failed("cannot keep the version", target);
    std::error_code ec;
    fs::remove_all(holder, ec);
    return Fail(failed);
  }
  if (!SyncPath(entry_versions) || !SyncPath(Staging()))
    return Fail(Failed("cannot flush", entry_versions));
  return {};
}

Result<void> StateFolders::SetAsideSwapFolder(const std::string& entry,
                                              const std::string& label) const {
  const std::string swap = state_ + "swap/" + entry;
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(swap, ec))) return {};
  const std::string kept = state_ + "replaced/" + entry;
  if (!MakeStateFolder(kept)) return Fail(Failed("cannot create", kept));
  std::string target = kept + "/" + label;
  for (int n = 2; fs::exists(fs::symlink_status(target, ec)); ++n)
    target = kept + "/" + label + "." + std::to_string(n);
  if (std::rename(swap.c_str(), target.c_str()) != 0) return Fail(Failed("cannot move", swap));
  chmod(target.c_str(), kStateFolderMode);  // a former entry folder, now the state's
  SyncPath(kept);
  SyncPath(state_ + "swap/");
  return {};
}

// Exchanges swap/ENTRY with the entry folder, or moves it there when the
// entry has no folder yet.
Result<void> StateFolders::Exchange(const std::string& entry) const {
  const std::string swap = state_ + "swap/" + entry;
  const std::string target = base_ + entry;
  if (renameat2(AT_FDCWD, swap.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) return {};
  if (errno == ENOENT &&
      renameat2(AT_FDCWD, swap.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
    return {};
  return Fail(Failed("cannot replace the entry folder", target));
}

Result<void> StateFolders::Install(const std::string& entry, int64_t version) const {
  const std::string swap = state_ + "swap/" + entry;
  const std::string source = VersionFolder(entry, version);
  std::error_code ec;
  if (!fs::is_directory(source, ec))
    return Fail({"the version's files are missing", source, std::nullopt});
  if (auto aside = SetAsideSwapFolder(entry, "unfinished"); !aside) return aside;
  const auto undo = [&](const Error& failed) {
    fs::remove_all(swap, ec);
    return Fail(failed);
  };
  if (!MakeEntryFolderAt(swap)) return undo(Failed("cannot create", swap));
  // The version's own files, linked: the entry folder holds no second copy.
  for (const std::string& name : FileNames(source)) {
    if (link((source + "/" + name).c_str(), (swap + "/" + name).c_str()) != 0)
      return undo(Failed("cannot link the upload", swap + "/" + name));
  }
  if (!SyncPath(swap)) return undo(Failed("cannot flush", swap));
  const bool existed = fs::exists(fs::symlink_status(base_ + entry, ec));
  if (auto exchanged = Exchange(entry); !exchanged) return undo(exchanged.error());
  if (!SyncPath(base_) || !SyncPath(state_ + "swap/")) {
    const Error failed = Failed("cannot flush", base_);
    // Back as it was: the old folder returns, or the new one goes.
    const bool back = existed ? Exchange(entry).has_value()
                              : std::rename((base_ + entry).c_str(), swap.c_str()) == 0;
    if (!back) return Fail(Failed("cannot flush, nor put the entry folder back", base_));
    SyncPath(base_);
    return undo(failed);
  }
  return {};
}

Result<void> StateFolders::KeepReplaced(const std::string& entry, int64_t version) const {
  return SetAsideSwapFolder(entry, std::to_string(version));
}

void StateFolders::DropVersion(const std::string& entry, int64_t version) const {
  std::error_code ec;
  fs::remove_all(VersionHolder(entry, version), ec);
  fs::remove_all(state_ + "replaced/" + entry + "/" + std::to_string(version + 1), ec);
  const std::string entry_versions = state_ + "versions/" + entry;
  SyncPath(entry_versions);
  rmdir(entry_versions.c_str());  // only when no version is left
}

bool StateFolders::MakeEntryFolder(const std::string& entry) const {
  return MakeEntryFolderAt(base_ + entry);
}

Result<void> StateFolders::Recover(VersionStore& store) const {
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(Staging(), ec)) fs::remove_all(item.path(), ec);
  for (const auto& entry_folder : fs::directory_iterator(state_ + "versions/", ec)) {
    const std::string entry = entry_folder.path().filename().string();
    for (const auto& version_folder : fs::directory_iterator(entry_folder.path(), ec)) {
      const auto number = VersionNumber(version_folder.path().filename().string());
      if (number && store.HasVersion(entry, *number)) continue;
      // Never recorded, so never answered: the upload did not happen.
      fs::remove_all(version_folder.path(), ec);
    }
  }
  for (const auto& [entry, version] : store.CommitsUnderWay()) {
    if (auto aside = SetAsideSwapFolder(entry, "recovered"); !aside) return aside;
    const auto versions = store.Versions(entry);
    const auto row = std::find_if(versions.begin(), versions.end(),
                                  [v = version](const VersionRow& r) { return r.version == v; });
    const bool in_place = row != versions.end() && FolderHolds(base_ + entry, row->files);
    if (!in_place) {
      if (auto installed = Install(entry, version); !installed) return installed;
      if (auto kept = KeepReplaced(entry, version); !kept) return kept;
    }
    if (auto ended = store.EndCommit(entry); !ended) return ended;
  }
  return {};
}

StagedFile::~StagedFile() {
  if (fd_ >= 0) close(fd_);
}

bool StagedFile::Open(const std::string& path) {
  path_ = path;
  fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kVersionFileMode);
  failed_ = fd_ < 0 || fchmod(fd_, kVersionFileMode) != 0;
  return !failed_;
}

bool StagedFile::Append(const char* data, size_t size) {
  if (failed_) return false;
  failed_ = !files::WriteAll(fd_, std::span(reinterpret_cast<const uint8_t*>(data), size));
  size_ += size;
  return !failed_;
}

bool StagedFile::Finish() {
  if (fd_ < 0) return false;
  failed_ = failed_ || fsync(fd_) != 0;
  close(fd_);
  fd_ = -1;
  if (!failed_) sha256_ = FileHash(path_);
  return !failed_ && !sha256_.empty();
}

}  // namespace hl::server
