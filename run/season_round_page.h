#pragma once
#include <cstddef>
#include <string>

namespace hl::run {

// The season's own page, at the top of its export folder.
inline constexpr const char* kSeasonPage = "season.html";

// Inside a season's export folder, one results page per round, numbered so
// that two rounds of the same folder name never share one.
inline std::string SeasonRoundPage(size_t index) {
  return "round-" + std::to_string(index + 1) + "/";
}

}  // namespace hl::run
