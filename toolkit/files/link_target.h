#pragma once
// Writing to a file the user may have made a symbolic link: the link stays,
// and the file it points to is the one replaced.

#include <cstdint>
#include <span>
#include <string>

#include "toolkit/text/error.h"

namespace hl::files {

// path with every link at its end followed (relative targets resolved
// against the link's folder); path itself when it is no link. Fails on a
// loop of links.
Result<std::string> FinalLinkTarget(const std::string& path);

// Replaces the file path points to, atomically in that file's own folder
// (see ReplaceFileAtomically), so a link at path keeps pointing to the new
// content. Refuses a target that exists and is not a regular file: a device
// or a folder is never written to or replaced.
Result<void> ReplaceLinkTargetAtomically(const std::string& path, std::span<const uint8_t> bytes);

// Makes the folders of `relative` ("entries/01-anna") below `root`, never
// following a link on the way: a link where one of them belongs is replaced
// by a folder, so nothing written below root lands outside it.
Result<void> MakeFoldersWithoutLinks(const std::string& root, const std::string& relative);

}  // namespace hl::files
