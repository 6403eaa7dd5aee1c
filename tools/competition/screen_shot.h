#pragma once
// The screen picture an entrant submits: a capture of the game during the
// lap, with the car, the ghost's line and the game's HUD (lap time, track
// record, speed) over the textured ground. The ground is rendered once and
// shared; each entrant's capture differs by camera, car, line and HUD.

#include <cstdint>
#include <optional>
#include <vector>

#include "toolkit/raster/font.h"
#include "toolkit/raster/image.h"
#include "tools/competition/sample_course.h"
#include "tools/competition/screen_ground.h"

namespace hl::competition {

struct MapPoint {
  float x = 0;  // map pixels, to the right
  float y = 0;  // map pixels, downward
};

struct ScreenMoment {
  uint32_t seed = 0;           // picks the camera, the car's colour and place, the speed
  int16_t lap_time = 6000;     // hundredths; 6000 or more: no time yet
  int16_t record_time = 6000;  // the track record shown beside it
  std::vector<MapPoint> lap;   // the ghost's line; empty: the car waits on the grid
};

class ScreenCamera {
 public:
  // Without `font` the HUD shows its panels but no text.
  ScreenCamera(const SampleCourse& course, int width, int height, const raster::Font* font);

  raster::Image Capture(const ScreenMoment& moment) const;

 private:
  int width_;
  int height_;
  int play_;  // how far the camera may stray from the centre, in pixels
  GroundView view_;
  raster::Image ground_;
  CoursePoint grid_slot_;
  const raster::Font* font_;
};

}  // namespace hl::competition
