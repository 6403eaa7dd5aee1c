#include "results/ranking.h"

#include <cstdint>
#include <span>

#include "ranking/entry_order.h"
#include "ranking/ranking_entries.h"
#include "results/result_path.h"
#include "toolkit/files/file_slots.h"

namespace hl::results {

namespace {

// The ranking needs the whole height of the window's left column.
constexpr ui::Geometry kRankingLogBox{5, 10, 480, 628};

bool WriteReport(const state::AppState& s) {
  const std::optional<std::string> path = ResultPath(s, ".txt");
  if (!path) return false;
  const auto* bytes = reinterpret_cast<const uint8_t*>(s.ReportText.data());
  return files::ReplaceFileAtomically(*path, std::span<const uint8_t>(bytes, s.ReportText.size()));
}

}  // namespace

void RankResults(state::AppState& s, ui::Ui& ui) {
  s.RankingList.Clear();
  s.ReportSaved = false;
  s.Record.track = s.TrackBaseName;
  if (s.ReportText.empty()) return;

  // RankingList holds the entries from last place to first.
  const std::vector<std::string> entries = ranking::CollectRankingEntries(s.ReportText);
  const std::vector<size_t> places = ranking::PlaceOrder(entries);
  for (auto place = places.rbegin(); place != places.rend(); ++place) {
    s.RankingList.Append(entries[*place]);
  }
  s.ReportText = ranking::RankingBlock(s.RankingList.Items()) + s.ReportText;

  ui.RemoveControl(state::id::kScreenView);
  ui.RemoveControl(state::id::kStatsView);
  ui.MoveControl(state::id::kLogBox, kRankingLogBox.x, kRankingLogBox.y, kRankingLogBox.width,
                 kRankingLogBox.height);
  ui.SetText(state::id::kLogBox, s.ReportText);

  s.ReportSaved = WriteReport(s);
}

}  // namespace hl::results
