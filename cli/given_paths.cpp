#include "cli/given_paths.h"

#include <system_error>

#include "evaluation/competition_file.h"
#include "toolkit/files/file_identity.h"

namespace hl::cli {

namespace fs = std::filesystem;

fs::path AbsolutePath(const std::string& given) {
  std::error_code ec;
  fs::path absolute = fs::absolute(fs::path(given), ec).lexically_normal();
  if (ec) absolute = fs::path(given).lexically_normal();
  if (!absolute.has_filename() && absolute.has_relative_path()) absolute = absolute.parent_path();
  return absolute;
}

std::string ChosenEvaluationFile(const std::string& base_dir,
                                 const std::optional<std::string>& named, bool none) {
  if (named) return AbsolutePath(*named).string();
  return none ? "" : evaluation::CompetitionFilePath(base_dir);
}

std::string AsFolderText(const fs::path& folder) {
  std::string text = folder.string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

std::optional<std::string> CheckBaseFolder(const std::string& given, const fs::path& absolute) {
  if (const auto found = files::IdentityOf(absolute.string()); !found)
    return "base folder '" + given + "'" + files::AsClause(found.error().what);
  std::error_code ec;
  if (!fs::is_directory(absolute, ec)) return "'" + given + "' is not a folder";
  fs::directory_iterator listing(absolute, ec);
  if (ec) return "base folder '" + given + "' cannot be read: " + ec.message();
  return std::nullopt;
}

}  // namespace hl::cli
