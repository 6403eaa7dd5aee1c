#include "results/chart_drawing.h"

#include <algorithm>
#include <cmath>

#include "ranking/entry_order.h"
#include "record/rules.h"
#include "results/chart_scale.h"
#include "results/chart_texts.h"
#include "toolkit/raster/band_rows.h"
#include "toolkit/raster/draw.h"
#include "toolkit/raster/image_files.h"

namespace hl::results {
namespace {

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

int64_t RowTop(int64_t row) { return kTop + kRowHeight * row; }

int TextWidth(const ChartLayout& layout, const std::string& text) {
  return layout.font ? layout.font->TextWidth(text) : 0;
}

// Draws in chart coordinates into a band that starts at chart row
// first_row; the primitives clip, so what falls outside the band is left
// to the band that holds it. Text goes over an opaque white cell, as every
// text of the chart does.
class BandCanvas {
 public:
  BandCanvas(raster::Image& band, int64_t first_row, const raster::Font* font)
      : band_(band), first_row_(first_row), font_(font) {}

  void Text(int x, int64_t y, const std::string& text, raster::Color colour) {
    if (font_ && Near(y)) raster::DrawText(band_, *font_, x, Local(y), text, colour, kWhite);
  }
  void Box(int x, int64_t y, int width, int height, raster::Color colour) {
    if (Near(y)) raster::Box(band_, x, Local(y), width, height, colour);
  }
  void Line(int x1, int64_t y1, int x2, int64_t y2) {
    raster::Line(band_, x1, Local(y1), x2, Local(y2), kBlack);
  }
  void LineBy(int x, int64_t y, int dx, int dy) {
    if (Near(y)) raster::LineBy(band_, x, Local(y), dx, dy, kBlack);
  }

 private:
  // Whether something drawn from row y (text cells and bars are far less
  // than a band of rows high) can reach the band at all.
  bool Near(int64_t y) const {
    return y > first_row_ - kReach && y < first_row_ + band_.Height() + kReach;
  }
  // Rows far off the band are clamped to just beyond it; only the axis
  // line passes them, and its pixels are the same either way.
  int Local(int64_t y) const {
    return static_cast<int>(std::clamp<int64_t>(y - first_row_, -kReach, band_.Height() + kReach));
  }
  static constexpr int64_t kReach = 4 * kRowHeight;

  raster::Image& band_;
  int64_t first_row_;
  const raster::Font* font_;
};

// ChartMin is the first entry's time, ChartMax the last later time that is
// still a time (below 6000).
void TakeScaleEnds(state::AppState& s, const std::vector<std::string>& entries) {
  s.ChartMin = 0;
  s.ChartMax = 0;
  for (size_t row = 0; row < entries.size(); ++row) {
    const int64_t time = ranking::EntryTime(entries[row]);
    if (row == 0) {
      s.ChartMin = static_cast<int32_t>(time);
    } else if (time < record::kNoTime) {
      s.ChartMax = static_cast<int32_t>(time);
    }
  }
}

int WidestLabel(const ChartLayout& layout) {
  int widest = 0;
  for (const std::string& entry : *layout.entries) {
    widest = std::max(widest, TextWidth(layout, ChartRowLabel(entry)));
  }
  return widest;
}

int BarLength(int16_t axis_length, int64_t time, int32_t min, int32_t max) {
  const double length = std::trunc(static_cast<double>(axis_length) * double(time - min) /
                                   double(int64_t{max} - min));
  // Anything beyond the image is clipped anyway; the clamp keeps the
  // conversion defined for absurd penalty times.
  return static_cast<int>(
      std::clamp(length, -2.0 * raster::Image::kMaxSide, 2.0 * raster::Image::kMaxSide));
}

void DrawScaleMark(const ChartLayout& layout, BandCanvas& canvas, int x, int64_t value) {
  canvas.LineBy(x, layout.axis_row, 0, kTickLength);
  const std::string text = ScaleValueText(value);
  canvas.Text(x - TextWidth(layout, text) / 2, layout.axis_row + kValueGap, text, kBlack);
}

// The rows whose label or bar can reach the band: first .. last - 1.
struct RowRange {
  int64_t first;
  int64_t last;
};

RowRange RowsNear(const ChartLayout& layout, int64_t first_row, int band_height) {
  const auto count = static_cast<int64_t>(layout.entries->size());
  const int64_t first = (first_row - kTop) / kRowHeight - 4;
  const int64_t last = (first_row + band_height - kTop) / kRowHeight + 4;
  return {std::clamp<int64_t>(first, 0, count), std::clamp<int64_t>(last, 0, count)};
}

}  // namespace

int64_t ChartHeight(int64_t entries) { return kRowHeight * entries + 80; }

ChartLayout LayoutChart(state::AppState& s) {
  ChartLayout layout;
  layout.entries = &s.RankingList.Items();
  layout.font = s.LabelFont ? &*s.LabelFont : nullptr;
  layout.background = s.Palette[9];
  layout.label_colour = s.Palette[12];
  layout.height = ChartHeight(static_cast<int64_t>(layout.entries->size()));
  TakeScaleEnds(s, *layout.entries);
  layout.x0 = WidestLabel(layout) + 30;
  // Held in 16 bits like the rest of the chart's geometry.
  layout.axis_length = static_cast<int16_t>(kAxisEnd - layout.x0);
  layout.axis_row = static_cast<int>(RowTop(static_cast<int64_t>(layout.entries->size())));
  s.ChartMin = RoundScaleMin(s.ChartMin);
  s.ChartMax = RoundScaleMax(s.ChartMax);
  layout.min = s.ChartMin;
  layout.max = s.ChartMax;
  return layout;
}

void DrawChartRows(const ChartLayout& layout, raster::Image& band, int64_t first_row) {
  const std::vector<std::string>& entries = *layout.entries;
  BandCanvas canvas(band, first_row, layout.font);
  // A flood fill from the corner, bounded by Palette[8], reaches every pixel
  // of the fresh black image; painting the whole image white directly gives
  // the same picture without tracking a fill over all of it.
  raster::Box(band, 0, 0, band.Width(), band.Height(), layout.background);

  const RowRange rows = RowsNear(layout, first_row, band.Height());
  for (int64_t row = rows.first; row < rows.last; ++row) {
    canvas.Text(kLabelX, RowTop(row), ChartRowLabel(entries[static_cast<size_t>(row)]),
                layout.label_colour);
  }
  canvas.Line(layout.x0, kTop, layout.x0, layout.axis_row);
  canvas.LineBy(layout.x0, layout.axis_row, layout.axis_length, 0);

  DrawScaleMark(layout, canvas, layout.x0, layout.min);
  DrawScaleMark(layout, canvas, layout.x0 + layout.axis_length, layout.max);
  DrawScaleMark(layout, canvas, layout.x0 + layout.axis_length / 2,
                ScaleMiddle(layout.min, layout.max));

  // Bars come last and cover the vertical axis where they start.
  if (layout.min == layout.max) return;
  for (int64_t row = rows.first; row < rows.last; ++row) {
    const int64_t time = ranking::EntryTime(entries[static_cast<size_t>(row)]);
    if (time <= 0 || time >= record::kNoTime) continue;
    canvas.Box(layout.x0, RowTop(row), BarLength(layout.axis_length, time, layout.min, layout.max),
               kBarHeight, kBarBlue);
  }
}

std::optional<std::vector<uint8_t>> EncodeChartInBands(const ChartLayout& layout, int band_rows,
                                                       const std::function<bool()>& go_on) {
  if (layout.height > INT32_MAX || band_rows < 1) return std::nullopt;
  const int height = static_cast<int>(layout.height);
  std::optional<raster::Image> band =
      raster::Image::Create(kChartWidth, std::min(band_rows, height));
  if (!band) return std::nullopt;
  raster::BandRows rows(std::move(*band), [&layout](raster::Image& drawn, int first_row) {
    DrawChartRows(layout, drawn, first_row);
  });
  // A row of the wrong length ends the encoding with nullopt.
  return raster::EncodePngRows(kChartWidth, height, [&](int y) {
    if (go_on && y % band_rows == 0 && !go_on()) return std::span<const uint8_t>();
    return rows.Row(y);
  });
}

}  // namespace hl::results
