#include "results/left_over_chart.h"

#include <utility>

#include "results/result_path.h"
#include "toolkit/files/file_slots.h"

namespace hl::results {

std::optional<LeftOverChart> LeftOverChart::Take(state::AppState& s) {
  if (!s.ChartLeftOver) return std::nullopt;
  const std::optional<std::string> path = ResultPath(s, ".png");
  if (!path) return std::nullopt;
  LeftOverChart chart;
  chart.layout_ = LayoutChart(s);
  chart.entries_ = s.RankingList.Items();
  chart.path_ = *path;
  // A face of its own: the state's goes with the state.
  if (s.LabelFont) {
    auto font = raster::LoadLabelFont();
    chart.font_missing_ = !font;
    if (font) chart.font_ = std::move(*font);
  }
  s.ChartLeftOver = false;
  return chart;
}

bool LeftOverChart::Write(const std::function<bool()>& go_on) const {
  if (font_missing_) return false;
  ChartLayout layout = layout_;
  layout.entries = &entries_;
  layout.font = font_ ? &*font_ : nullptr;
  const auto png = EncodeChartInBands(layout, kChartBandRows, go_on);
  return png && files::ReplaceFileAtomically(path_, *png);
}

}  // namespace hl::results
