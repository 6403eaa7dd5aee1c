#pragma once
// A fresh folder under /tmp, removed with its contents when the test ends.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace hl::files {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "hl-files-XXXXXX").string();
    path_ = std::string(::mkdtemp(pattern.data())) + "/";
  }
  ~ScratchFolder() {
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Folder text ending in "/".
  const std::string& Path() const { return path_; }

  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ + name, std::ios::binary) << bytes;
    return path_ + name;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string path_;
};

}  // namespace hl::files
