#include "results/chart.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "state/progress_bar.h"
#include "results/chart_scale.h"
#include "results/chart_texts.h"
#include "results/entry_order.h"
#include "results/result_path.h"
#include "toolkit/raster/draw.h"
#include "toolkit/raster/image_files.h"

namespace hl::results {

namespace {

constexpr int kChartWidth = 450;
constexpr int kRowHeight = 30;
constexpr int kTop = 30;
constexpr int kLabelX = 20;
constexpr int kAxisEnd = 430;
constexpr int kBarHeight = 15;
constexpr int kTickLength = 5;
constexpr int kValueGap = 10;
constexpr raster::Color kBlack = raster::Rgb(0, 0, 0);
constexpr raster::Color kWhite = raster::Rgb(255, 255, 255);
constexpr raster::Color kBarBlue = raster::Rgb(0, 0, 255);

// Text is drawn over an opaque white cell, as every text of the chart is.
class ChartCanvas {
 public:
  ChartCanvas(raster::Image& image, const raster::Font* font) : image_(image), font_(font) {}
  raster::Image& Image() { return image_; }
  int TextWidth(const std::string& text) const { return font_ ? font_->TextWidth(text) : 0; }
  void Text(int x, int y, const std::string& text, raster::Color color) {
    if (font_) raster::DrawText(image_, *font_, x, y, text, color, kWhite);
  }

 private:
  raster::Image& image_;
  const raster::Font* font_;
};

int ChartHeight(int64_t entries) {
  const int64_t height = kRowHeight * entries + 80;
  return static_cast<int>(std::min<int64_t>(height, raster::Image::kMaxSide + 1));
}

int RowTop(int64_t row) { return static_cast<int>(kTop + kRowHeight * row); }

// ChartMin is the first entry's time, ChartMax the last later time that is
// still a time (below 6000).
void TakeScaleEnds(state::AppState& s, const std::vector<std::string>& entries) {
  s.ChartMin = 0;
  s.ChartMax = 0;
  for (size_t row = 0; row < entries.size(); ++row) {
    const int64_t time = EntryTime(entries[row]);
    if (row == 0) {
      s.ChartMin = static_cast<int32_t>(time);
    } else if (time < state::kNoTime) {
      s.ChartMax = static_cast<int32_t>(time);
    }
  }
}

// Returns the width of the widest label.
int DrawRowLabels(ChartCanvas& canvas, const std::vector<std::string>& entries,
                  raster::Color color) {
  int widest = 0;
  for (size_t row = 0; row < entries.size(); ++row) {
    const std::string label = ChartRowLabel(entries[row]);
    canvas.Text(kLabelX, RowTop(static_cast<int64_t>(row)), label, color);
    widest = std::max(widest, canvas.TextWidth(label));
  }
  return widest;
}

void DrawScaleMark(ChartCanvas& canvas, int x, int axis_row, int64_t value) {
  raster::LineBy(canvas.Image(), x, axis_row, 0, kTickLength, kBlack);
  const std::string text = ScaleValueText(value);
  canvas.Text(x - canvas.TextWidth(text) / 2, axis_row + kValueGap, text, kBlack);
}

int BarLength(int16_t axis_length, int64_t time, int32_t min, int32_t max) {
  const double length = std::trunc(static_cast<double>(axis_length) * double(time - min) /
                                   double(int64_t{max} - min));
  // Anything beyond the image is clipped anyway; the clamp keeps the
  // conversion defined for absurd penalty times.
  return static_cast<int>(
      std::clamp(length, -2.0 * raster::Image::kMaxSide, 2.0 * raster::Image::kMaxSide));
}

void DrawBars(raster::Image& image, const std::vector<std::string>& entries, int x0,
              int16_t axis_length, int32_t min, int32_t max) {
  if (min == max) return;
  for (size_t row = 0; row < entries.size(); ++row) {
    const int64_t time = EntryTime(entries[row]);
    if (time <= 0 || time >= state::kNoTime) continue;
    raster::Box(image, x0, RowTop(static_cast<int64_t>(row)),
                BarLength(axis_length, time, min, max), kBarHeight, kBarBlue);
  }
}

void DrawChartImage(state::AppState& s, raster::Image& image) {
  const std::vector<std::string>& entries = s.RankingList.Items();
  ChartCanvas canvas(image, s.LabelFont ? &*s.LabelFont : nullptr);
  // A flood fill from the corner, bounded by Palette[8], reaches every pixel
  // of the fresh black image; painting the whole image white directly gives
  // the same picture without tracking a fill over all of it.
  raster::Box(image, 0, 0, image.Width(), image.Height(), s.Palette[9]);

  TakeScaleEnds(s, entries);
  const int x0 = DrawRowLabels(canvas, entries, s.Palette[12]) + 30;
  // Held in 16 bits like the rest of the chart's geometry.
  const auto axis_length = static_cast<int16_t>(kAxisEnd - x0);
  const int axis_row = RowTop(static_cast<int64_t>(entries.size()));

  raster::Line(image, x0, kTop, x0, axis_row, kBlack);
  raster::LineBy(image, x0, axis_row, axis_length, 0, kBlack);

  s.ChartMin = RoundScaleMin(s.ChartMin);
  s.ChartMax = RoundScaleMax(s.ChartMax);
  DrawScaleMark(canvas, x0, axis_row, s.ChartMin);
  DrawScaleMark(canvas, x0 + axis_length, axis_row, s.ChartMax);
  DrawScaleMark(canvas, x0 + axis_length / 2, axis_row, ScaleMiddle(s.ChartMin, s.ChartMax));

  DrawBars(image, entries, x0, axis_length, s.ChartMin, s.ChartMax);
}

}  // namespace

void DrawChart(state::AppState& s, ui::Ui& ui) {
  s.ChartSaved = false;
  SortEntries(s.RankingList, /*descending=*/false);
  const int64_t entries = s.RankingList.Count();
  if (s.Images.CreateImage(state::id::kLineImage, kChartWidth, ChartHeight(entries))) {
    raster::Image& image = *s.Images.Get(state::id::kLineImage);
    DrawChartImage(s, image);
    ui.ShowImage(state::id::kLineView, &image);
    const std::optional<std::string> path = ResultPath(s, ".png");
    s.ChartSaved = path && raster::SavePng(image, *path);
  }
  state::ShowProgress(s, ui, state::kFinished, state::kFinished,
                    SaveMessage(s.TrackBaseName, s.ReportSaved, s.ChartSaved));
}

}  // namespace hl::results
