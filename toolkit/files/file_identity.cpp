#include "toolkit/files/file_identity.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "toolkit/files/link_target.h"

namespace hl::files {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMissing = "does not exist";

// strerror's text as the rest of a sentence: "Too many ..." -> "too many ...".
std::string Reason(int error) {
  if (error == ENOENT) return kMissing;
  std::string reason = std::strerror(error);
  if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z') reason[0] += 'a' - 'A';
  return reason;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

Result<FileIdentity> IdentityOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return Fail({Reason(errno), path, std::nullopt});
  return FileIdentity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
}

std::string AsClause(const std::string& reason) {
  return (reason == kMissing ? " " : ": ") + reason;
}

std::optional<FilePlace> PlaceOf(const std::string& path) {
  const auto target = FinalLinkTarget(path);
  if (!target) return std::nullopt;
  if (const auto identity = IdentityOf(*target)) return FilePlace{*identity, ""};
  const auto folder = IdentityOf(FolderOf(*target));
  if (!folder) return std::nullopt;
  return FilePlace{*folder, target->substr(target->rfind('/') + 1)};
}

bool IsSameOrInside(const std::string& path, const std::string& folder) {
  const auto wanted = IdentityOf(folder);
  if (!wanted) return false;
  std::error_code ec;
  fs::path resolved = fs::weakly_canonical(fs::absolute(path, ec), ec);
  if (ec) resolved = fs::absolute(path, ec).lexically_normal();
  for (fs::path at = resolved;; at = at.parent_path()) {
    if (const auto identity = IdentityOf(at.string()); identity && *identity == *wanted)
      return true;
    if (at == at.parent_path() || at.empty()) return false;
  }
}

}  // namespace hl::files
