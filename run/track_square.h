#pragma once
// The track square of one track file (picture, grid and objects, without a
// ghost), drawn anew after the run on a state of its own: the background of
// the ghost overlay, which must not carry any one entrant's ghost.

#include <optional>
#include <string>

#include "toolkit/raster/image.h"

namespace hl::run {

std::optional<raster::Image> DrawTrackSquare(const std::string& track_path);

}  // namespace hl::run
