#include "results/result_path.h"

namespace hl::results {

std::optional<std::string> ResultPath(const state::AppState& s, std::string_view suffix) {
  if (s.BaseDir.empty()) return std::nullopt;
  return s.BaseDir + s.TrackBaseName + std::string(suffix);
}

}  // namespace hl::results
