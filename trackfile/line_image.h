#pragma once
// Image 1, the track picture every drawing step adds to and shows.

#include "state/state.h"
#include "toolkit/raster/image.h"
#include "toolkit/ui/ui.h"

namespace hl::trackfile {

inline constexpr int kTrackSide = 512;  // the track square
// Its last row and column: game y counts up from this row, and no object or
// ghost dot is centred on either.
inline constexpr int kTrackEdge = kTrackSide - 1;

inline raster::Image* LineImage(state::AppState& s) { return s.Images.Get(state::id::kLineImage); }

inline void ShowLineImage(state::AppState& s, ui::Ui& ui) {
  ui.ShowImage(state::id::kLineView, LineImage(s));
}

}  // namespace hl::trackfile
