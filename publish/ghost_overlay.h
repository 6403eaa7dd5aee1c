#pragma once
// Every ranked lap's ghost over one track picture, a colour per place, with
// a legend under the picture. Laps on another track are not drawn (their
// ghost would mean nothing over this picture); the legend says so.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "record/competition_record.h"
#include "toolkit/raster/color.h"
#include "toolkit/raster/font.h"
#include "toolkit/raster/image.h"

namespace hl::publish {

struct OverlayLap {
  int64_t place = 0;
  std::string driver;
  record::SharedList<record::GhostPoint> ghost;
  bool other_track = false;  // left out of the picture
};

// Distinct, well-saturated colours, place 1 first.
raster::Color PlaceColour(size_t place_index);

// `track` is the 512 x 512 track square; laps in ranking order. The slower
// laps are drawn first, so the faster ones stay on top where ghosts cross.
// The legend is cut where the picture would pass the image size limit.
std::optional<raster::Image> GhostOverlay(const raster::Image& track,
                                          const std::vector<OverlayLap>& laps,
                                          const raster::Font& font);

}  // namespace hl::publish
