#pragma once
// Names inside an export folder that are safe whatever an entry folder is
// called: spaces, bytes that are not UTF-8, "..", slashes cannot escape the
// folder or clash with each other.

#include <cstddef>
#include <string>
#include <string_view>

namespace hl::publish {

// "entries/007-anna": the entry's place in folder order (so names never
// clash), then up to 40 of its ASCII letters, digits, '-' and '_', every
// other byte as '_'.
std::string EntryPictureFolder(size_t index, size_t count, std::string_view folder);

}  // namespace hl::publish
