#pragma once
// The ground of the sample's screen pictures: the circuit seen from above as
// the game renders it, with grass, asphalt, gravel, kerbs, roofs and trees
// all textured, and soft shadows. Real captures are full of such fine detail,
// which is what makes their JPEGs large and slow to decode; flat colours
// would make the screen pictures unrealistically cheap.

#include "toolkit/raster/image.h"
#include "tools/competition/sample_course.h"

namespace hl::competition {

// Which part of the map a picture shows, and how large.
struct GroundView {
  int width = 1;
  int height = 1;
  float scale = 1;  // picture pixels per map pixel
  float left = 0;   // map position of the picture's top-left corner
  float top = 0;

  float MapX(float x) const { return left + x / scale; }
  float MapY(float y) const { return top + y / scale; }
  float PictureX(float map_x) const { return (map_x - left) * scale; }
  float PictureY(float map_y) const { return (map_y - top) * scale; }
};

// The same course and view always give the same pixels.
raster::Image RenderGround(const SampleCourse& course, const GroundView& view);

}  // namespace hl::competition
