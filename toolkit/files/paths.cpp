#include "toolkit/files/paths.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace hl::files {
namespace {

constexpr std::string_view kSeparators = "/\\";

}  // namespace

std::string QueryCurrentDir() {
  std::vector<char> buffer(256);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return WithTrailingSlash(buffer.data());
}

std::string PathFilePart(std::string_view path) {
  if (path.starts_with('"')) path.remove_prefix(1);
  const size_t separator = path.find_last_of(kSeparators);
  if (separator != std::string_view::npos) path.remove_prefix(separator + 1);
  return std::string(path.substr(0, path.find('"')));
}

std::string PathExtension(std::string_view path) {
  const size_t found = path.find_last_of(".\\/");
  if (found == std::string_view::npos || path[found] != '.') return {};
  const std::string_view extension = path.substr(found + 1);
  return std::string(extension.substr(0, extension.find('"')));
}

std::string WithTrailingSlash(std::string_view folder) {
  if (folder.empty()) return {};
  const size_t last_kept = folder.find_last_not_of('/');
  if (last_kept == std::string_view::npos) return "/";
  return std::string(folder.substr(0, last_kept + 1)) + "/";
}

}  // namespace hl::files
