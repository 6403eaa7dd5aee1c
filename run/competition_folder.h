#pragma once
// What makes a folder a competition the command line evaluates: the
// reference car file and at least one entry folder. The window loads any
// folder; a batch run given the wrong one would write a report named
// ".txt" into it.

#include <optional>
#include <string>

namespace hl::run {

// Why `base_dir` is no competition folder, in words; nullopt when it is one.
std::optional<std::string> NotACompetitionFolder(const std::string& base_dir);

}  // namespace hl::run
