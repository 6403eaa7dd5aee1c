#include "evaluation/competition_file.h"

#include <filesystem>
#include <system_error>

namespace hl::evaluation {

std::string CompetitionFilePath(const std::string& base_dir) {
  return base_dir + kCompetitionFileName;
}

std::optional<std::string> CompetitionFileIn(const std::string& base_dir) {
  const std::string path = CompetitionFilePath(base_dir);
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return std::nullopt;
  return path;
}

}  // namespace hl::evaluation
