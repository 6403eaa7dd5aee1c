#pragma once
// Paths as the command line gives them, made absolute against the working
// folder, and the base folder every command works on checked.

#include <filesystem>
#include <optional>
#include <string>

namespace hl::cli {

// Absolute and normal, without a closing "/" so a file given as a folder
// is reported as a file.
std::filesystem::path AbsolutePath(const std::string& given);

// `folder` as text ending with "/".
std::string AsFolderText(const std::filesystem::path& folder);

// The evaluation file a run of the base folder reads: the one named, none
// with --no-evaluation, else the base folder's own evaluation.toml, which
// need not exist yet. `base_dir` ends with "/".
std::string ChosenEvaluationFile(const std::string& base_dir,
                                 const std::optional<std::string>& named, bool none);

// Why `absolute` (typed as `given`) is no readable folder, or nothing.
std::optional<std::string> CheckBaseFolder(const std::string& given,
                                           const std::filesystem::path& absolute);

}  // namespace hl::cli
