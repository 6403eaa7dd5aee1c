#pragma once
// A temporary folder removed with everything in it when the object dies.

#include <cstdint>
#include <string>
#include <vector>

namespace hl::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }  // ends with "/"
  // Relative paths; parent folders are created as needed.
  std::string MakeDir(const std::string& relative) const;
  std::string WriteFile(const std::string& relative, const std::vector<uint8_t>& bytes) const;
  std::string WriteFile(const std::string& relative, const std::string& bytes) const;
  std::vector<uint8_t> ReadFile(const std::string& relative) const;

 private:
  std::string path_;
};

}  // namespace hl::testing
