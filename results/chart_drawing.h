#pragma once
// The chart as rows of pixels: its geometry fixed once, then any band of its
// rows drawn on its own. A chart of many entrants is taller than an image
// may be, so it is drawn and compressed a band at a time; every band holds
// exactly the pixels the whole picture has there.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "state/state.h"
#include "toolkit/raster/font.h"
#include "toolkit/raster/image.h"

namespace hl::results {

inline constexpr int kChartWidth = 450;
// Rows drawn at a time when the chart is taller than an image may be: a
// few megabytes of pixels, whatever the number of entrants.
inline constexpr int kChartBandRows = 2048;

struct ChartLayout {
  const std::vector<std::string>* entries = nullptr;  // the sorted ranking
  const raster::Font* font = nullptr;                 // LabelFont, when loaded
  raster::Color background = 0;
  raster::Color label_colour = 0;
  int64_t height = 0;  // 30 n + 80
  int x0 = 0;          // the vertical axis
  int16_t axis_length = 0;
  int axis_row = 0;
  int32_t min = 0;  // the rounded scale
  int32_t max = 0;
};

// 30 rows an entry and 80 more, for any number of entries.
int64_t ChartHeight(int64_t entries);

// Measures the labels of the sorted RankingList and fixes the rounded scale
// in ChartMin .. ChartMax.
ChartLayout LayoutChart(state::AppState& s);

// Rows first_row .. first_row + band.Height() - 1 of the chart, into band.
void DrawChartRows(const ChartLayout& layout, raster::Image& band, int64_t first_row);

// The PNG of the whole chart, drawn band_rows rows at a time; nullopt when
// `go_on`, asked before each band, says to stop.
std::optional<std::vector<uint8_t>> EncodeChartInBands(const ChartLayout& layout, int band_rows,
                                                       const std::function<bool()>& go_on = {});

}  // namespace hl::results
