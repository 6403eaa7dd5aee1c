#pragma once
// The competition's own saved evaluation: evaluation.toml in the base
// folder, which the window keeps its decisions in and a batch run reads
// unless it is given another file.

#include <optional>
#include <string>

namespace hl::evaluation {

inline constexpr const char* kCompetitionFileName = "evaluation.toml";

// `base_dir` ends with "/".
std::string CompetitionFilePath(const std::string& base_dir);

// The path when the base folder holds anything by that name (a folder or a
// broken link included, so that reading it names the problem).
std::optional<std::string> CompetitionFileIn(const std::string& base_dir);

}  // namespace hl::evaluation
