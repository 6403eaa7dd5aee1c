#include "run/competition_folder.h"

#include <filesystem>
#include <system_error>

#include "gamedata/base_folder.h"

namespace hl::run {

std::optional<std::string> NotACompetitionFolder(const std::string& base_dir) {
  bool car_file = false;
  bool entry_folder = false;
  std::error_code ec;
  for (const std::filesystem::directory_entry& item :
       std::filesystem::directory_iterator(base_dir, ec)) {
    // A car file that cannot be read (a folder or a pipe by its name, say)
    // still marks a competition; the run names what is wrong with it.
    car_file = car_file || gamedata::IsCarFileName(item.path().filename().string());
    entry_folder = entry_folder || item.is_directory(ec);
  }
  if (car_file && entry_folder) return std::nullopt;
  const std::string lacks = !car_file && !entry_folder ? "no car file and no entry folder"
                            : !car_file                ? "no car file"
                                                       : "no entry folder";
  return "'" + base_dir + "' is not a competition folder: it holds " + lacks +
         "; a competition folder holds the reference .car file and one folder per entrant";
}

}  // namespace hl::run
