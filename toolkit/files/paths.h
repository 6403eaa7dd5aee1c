#pragma once
// Path helpers. Folder texts end with "/"; "/" and "\" both count as
// separators when a path is taken apart.

#include <string>
#include <string_view>

namespace hl::files {

// The working folder, ending with exactly one "/".
std::string QueryCurrentDir();
// The final name: after the last "/" or "\", a leading and closing '"' dropped.
std::string PathFilePart(std::string_view path);
// Text after the last "." of the final name, "" when it has none.
std::string PathExtension(std::string_view path);
// The folder text with exactly one "/" at its end ("" stays "").
std::string WithTrailingSlash(std::string_view folder);

}  // namespace hl::files
