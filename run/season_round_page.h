#pragma once
#include <cstddef>
#include <string>

namespace hl::run {

// Inside a season's export folder, one results page per round, numbered so
// that two rounds of the same folder name never share one.
inline std::string SeasonRoundPage(size_t index) {
  return "round-" + std::to_string(index + 1) + "/";
}

}  // namespace hl::run
