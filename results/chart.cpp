#include "results/chart.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "ranking/entry_order.h"
#include "results/chart_drawing.h"
#include "results/chart_texts.h"
#include "results/result_path.h"
#include "results/sort_entries.h"
#include "state/progress_bar.h"
#include "toolkit/files/file_slots.h"
#include "toolkit/raster/image_files.h"

namespace hl::results {

namespace {

// The chart's file: the PNG an earlier run encoded from these very pixels,
// when the run knows one, is what encoding them would give.
bool SaveChart(const state::AppState& s, const raster::Image& chart, const std::string& path) {
  if (s.EarlierChartPng) {
    if (const auto png = s.EarlierChartPng(chart)) return files::ReplaceFileAtomically(path, *png);
  }
  return raster::SavePng(chart, path);
}

// The chart fits in one image: drawn, shown and saved whole.
void DrawWholeChart(state::AppState& s, ui::Ui& ui, int height) {
  if (!s.Images.CreateImage(state::id::kLineImage, kChartWidth, height)) return;
  raster::Image& image = *s.Images.Get(state::id::kLineImage);
  DrawChartRows(LayoutChart(s), image, 0);
  ui.ShowImage(state::id::kLineView, &image);
  const std::optional<std::string> path = ResultPath(s, ".png");
  s.ChartSaved = path && SaveChart(s, image, *path);
}

// Too tall for one image: the file is written band by band, and the window
// shows the chart's top.
void DrawChartInBands(state::AppState& s, ui::Ui& ui) {
  if (!s.Images.CreateImage(state::id::kLineImage, kChartWidth, kChartBandRows)) return;
  raster::Image& top = *s.Images.Get(state::id::kLineImage);
  const ChartLayout layout = LayoutChart(s);
  DrawChartRows(layout, top, 0);
  ui.ShowImage(state::id::kLineView, &top);
  const std::optional<std::string> path = ResultPath(s, ".png");
  if (!path) return;
  if (s.ChartInBandsLater) {
    // An earlier run's chart must not stand beside this run's report.
    std::remove(path->c_str());
    s.ChartLeftOver = true;
    return;
  }
  const std::optional<std::vector<uint8_t>> png = EncodeChartInBands(layout, kChartBandRows);
  s.ChartSaved = png && files::ReplaceFileAtomically(*path, *png);
}

}  // namespace

void DrawChart(state::AppState& s, ui::Ui& ui) {
  s.ChartSaved = false;
  s.ChartLeftOver = false;
  SortEntries(s.RankingList, /*descending=*/false);
  const int64_t height = ChartHeight(s.RankingList.Count());
  if (height <= raster::Image::kMaxSide) {
    DrawWholeChart(s, ui, static_cast<int>(height));
  } else {
    DrawChartInBands(s, ui);
  }
  state::ShowProgress(s, ui, state::kFinished, state::kFinished,
                      SaveMessage(s.TrackBaseName, s.ReportSaved, s.ChartSaved));
}

}  // namespace hl::results
