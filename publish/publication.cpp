#include "publish/publication.h"

#include <filesystem>

namespace hl::publish {

std::string PublishedFolder(const std::string& folder, const Publication& publication) {
  if (!publication.folder_by_name) return folder;
  return std::filesystem::path(folder).parent_path().filename().string();
}

}  // namespace hl::publish
