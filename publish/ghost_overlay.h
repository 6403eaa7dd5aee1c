#pragma once
// Every ranked lap's ghost over one track picture, a colour per place, with
// a legend under the picture. Laps on another track are not drawn (their
// ghost would mean nothing over this picture); the legend says so.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
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

// The overlay of `laps` (in ranking order) over `track`, the 512 x 512
// track square, drawn a band of rows at a time: a legend of thousands of
// laps is tens of thousands of rows tall. The slower laps are drawn first,
// so the faster ones stay on top where ghosts cross. The legend is cut
// where the picture would pass the image size limit.
class GhostOverlay {
 public:
  // nullopt when the picture cannot be made.
  static std::optional<GhostOverlay> Draw(const raster::Image& track,
                                          const std::vector<OverlayLap>& laps,
                                          const raster::Font& font);

  int Width() const { return square_.Width(); }
  int Height() const;
  // Rows first_row .. first_row + band.Height() - 1 of the picture, into
  // `band`, which is Width() wide.
  void DrawRows(raster::Image& band, int first_row) const;

 private:
  GhostOverlay(raster::Image square, std::vector<std::string> legend, const raster::Font& font)
      : square_(std::move(square)), legend_(std::move(legend)), font_(&font) {}

  raster::Image square_;             // the track with every ghost drawn on it
  std::vector<std::string> legend_;  // its lines, place 1 first
  const raster::Font* font_;
};

}  // namespace hl::publish
