#include "results/result_path.h"

#include <algorithm>

namespace hl::results {

bool ResultsWithheld(const state::AppState& s) {
  if (!s.ResultsNeedATrack) return false;
  return std::none_of(s.Record.entries.begin(), s.Record.entries.end(),
                      [](const record::EntryRecord& entry) { return entry.TrackAccepted(); });
}

std::string ResultFolder(const state::AppState& s) {
  return s.ReportDir.empty() ? s.BaseDir : s.ReportDir;
}

std::optional<std::string> ResultPath(const state::AppState& s, std::string_view suffix) {
  if (s.BaseDir.empty() || ResultsWithheld(s)) return std::nullopt;
  return ResultFolder(s) + s.TrackBaseName + std::string(suffix);
}

}  // namespace hl::results
