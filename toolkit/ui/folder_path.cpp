#include "toolkit/ui/folder_path.h"

namespace hl::ui {

std::string ChooserStartFolder(std::string_view initial) {
  while (initial.size() > 1 && initial.back() == '/') initial.remove_suffix(1);
  return std::string(initial);
}

std::string ChosenFolderText(std::string_view chosen) {
  if (chosen.empty()) return {};
  while (!chosen.empty() && chosen.back() == '/') chosen.remove_suffix(1);
  return std::string(chosen) + "/";
}

}  // namespace hl::ui
