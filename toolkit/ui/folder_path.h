#pragma once
// Folder texts around the folder chooser. Folder texts end with "/" in this
// program, while a chooser wants a folder name without the trailing slash.

#include <string>
#include <string_view>

namespace hl::ui {

// The folder the chooser opens on: the trailing "/" removed, except for "/".
std::string ChooserStartFolder(std::string_view initial);

// The chosen folder ending with exactly one "/"; "" (cancelled) stays "".
std::string ChosenFolderText(std::string_view chosen);

}  // namespace hl::ui
