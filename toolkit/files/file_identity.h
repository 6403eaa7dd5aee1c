#pragma once
// Files and folders told apart by what they are (device and inode), not by
// how their paths are spelled: "a/./b", "a//b", a link to a/b and a bind
// mount of it are all the same folder.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

#include "toolkit/text/error.h"

namespace hl::files {

struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  auto operator<=>(const FileIdentity&) const = default;
};

// What path names, links followed. Fails with the system's reason in words
// ("does not exist", "too many levels of symbolic links", ...).
Result<FileIdentity> IdentityOf(const std::string& path);
// IdentityOf's reason to follow a name: " does not exist", or any other
// behind a colon (": too many levels of symbolic links").
std::string AsClause(const std::string& reason);

// The place a write to path would fill, links at path followed: an existing
// file by its identity; a file yet to be made by its folder's identity and
// its name. Two paths with equal places name the same file. nullopt when
// neither the file nor its folder exists.
struct FilePlace {
  FileIdentity identity;
  std::string name;  // empty for an existing file
  auto operator<=>(const FilePlace&) const = default;
};
std::optional<FilePlace> PlaceOf(const std::string& path);

// True when path (which need not exist yet) is folder or lies below it,
// however either is spelled or linked.
bool IsSameOrInside(const std::string& path, const std::string& folder);

}  // namespace hl::files
