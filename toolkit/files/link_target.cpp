#include "toolkit/files/link_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "toolkit/files/file_slots.h"

namespace hl::files {
namespace {

// As many links in a row as the kernel follows before it gives up (ELOOP).
constexpr int kMaxLinks = 40;

std::optional<std::string> ReadLink(const std::string& path) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (length < 0) return std::nullopt;
    if (static_cast<size_t>(length) < buffer.size())
      return std::string(buffer.data(), static_cast<size_t>(length));
    buffer.resize(buffer.size() * 2);
  }
}

bool IsLink(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::vector<std::string> Components(const std::string& relative) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start <= relative.size()) {
    const size_t end = std::min(relative.find('/', start), relative.size());
    if (end > start) names.push_back(relative.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

// Why a file could not be written at `target`, when its folder says why.
std::string NotWrittenReason(const std::string& target) {
  const size_t slash = target.rfind('/');
  if (slash == std::string::npos || slash == 0) return "cannot be written";
  const std::string folder = target.substr(0, slash);
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0)
    return errno == ENOENT ? "cannot be written: the folder " + folder + " does not exist"
                           : "cannot be written";
  if (!S_ISDIR(info.st_mode)) return "cannot be written: " + folder + " is not a folder";
  return "cannot be written";
}

}  // namespace

Result<std::string> FinalLinkTarget(const std::string& path) {
  std::string at = path;
  for (int followed = 0; followed <= kMaxLinks; ++followed) {
    if (!IsLink(at)) return at;
    const auto target = ReadLink(at);
    if (!target || target->empty()) return Fail({"cannot read the link", at, std::nullopt});
    const size_t slash = at.rfind('/');
    at = target->front() == '/' || slash == std::string::npos ? *target
                                                              : at.substr(0, slash + 1) + *target;
  }
  return Fail({"too many levels of symbolic links", path, std::nullopt});
}

Result<void> ReplaceLinkTargetAtomically(const std::string& path, std::span<const uint8_t> bytes) {
  const auto target = FinalLinkTarget(path);
  if (!target) return Fail(target.error());
  struct stat info {};
  if (::stat(target->c_str(), &info) == 0 && !S_ISREG(info.st_mode))
    return Fail({"is not a regular file", path, std::nullopt});
  if (!ReplaceFileAtomically(*target, bytes))
    return Fail({NotWrittenReason(*target), path, std::nullopt});
  return {};
}

Result<void> MakeFoldersWithoutLinks(const std::string& root, const std::string& relative) {
  std::string at = root;
  for (const std::string& name : Components(relative)) {
    if (!at.empty() && at.back() != '/') at += '/';
    at += name;
    if (IsLink(at) && ::unlink(at.c_str()) != 0)
      return Fail({"a link that cannot be replaced by a folder", at, std::nullopt});
    if (::mkdir(at.c_str(), 0777) != 0 && errno != EEXIST)
      return Fail({"cannot be created", at, std::nullopt});
    struct stat info {};
    if (::lstat(at.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
      return Fail({"is not a folder", at, std::nullopt});
  }
  return {};
}

}  // namespace hl::files
