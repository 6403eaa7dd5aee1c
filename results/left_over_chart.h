#pragma once
// A chart too tall to be shown whole that the ranking left for its run to
// write (AppState::ChartInBandsLater): what it is drawn from, owned apart
// from the state, so that it can be written once the run is over.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "results/chart_drawing.h"
#include "state/state.h"
#include "toolkit/raster/font.h"

namespace hl::results {

class LeftOverChart {
 public:
  // The chart the ranking just left over; nullopt when it left none. Right
  // after the ranking, while the ranking list is in the chart's order.
  static std::optional<LeftOverChart> Take(state::AppState& s);

  // Encodes the chart band by band and replaces its file; false when it
  // could not, or `go_on`, asked before each band, said to stop.
  bool Write(const std::function<bool()>& go_on = {}) const;
  const std::string& Path() const { return path_; }

 private:
  LeftOverChart() = default;

  std::vector<std::string> entries_;
  std::optional<raster::Font> font_;
  bool font_missing_ = false;  // the run drew with a font that could not be loaded again
  ChartLayout layout_;         // its entries and font are set by Write
  std::string path_;
};

}  // namespace hl::results
