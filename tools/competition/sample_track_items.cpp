#include "tools/competition/sample_track_items.h"

#include <cmath>

namespace hl::competition {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kHeadingSteps = 244;  // a full turn
constexpr int kBottomRow = kMapSide - 1;

TrackObject ObjectAt(uint8_t type, float x, float y, uint8_t angle = 0) {
  TrackObject object;
  object.type = type;
  object.x = static_cast<int16_t>(std::lround(x * 2.0f));
  object.y = static_cast<int16_t>(std::lround((static_cast<float>(kBottomRow) - y) * 2.0f));
  object.angle = angle;
  return object;
}

// 0 points to the right, a quarter turn (61) downward on the map.
uint8_t HeadingOf(const CoursePoint& p) {
  const double turns = std::atan2(p.ty, p.tx) / kTwoPi;
  const long step = std::lround(turns * kHeadingSteps);
  return static_cast<uint8_t>(((step % kHeadingSteps) + kHeadingSteps) % kHeadingSteps);
}

TrackObject Grandstand(const SampleCourse& course, int index, int total, uint8_t scale) {
  const CoursePoint p = course.At((index + 0.5) / total);
  const float half_width = static_cast<float>(6200 / scale / 2);
  // Outside the loop: inside, the hairpin leaves no room beside the road.
  const float distance = SampleCourse::kVergeHalfWidth + 4.0f + half_width;
  const uint8_t type = index % 2 == 0 ? 17 : 18;
  return ObjectAt(type, p.x + p.nx * distance, p.y + p.ny * distance, HeadingOf(p));
}

TrackObject Marker(const SampleCourse& course, int index, int total) {
  // Mostly cones and tyre stacks, now and then a kind that is not drawn.
  static constexpr uint8_t kPattern[] = {10, 9, 10, 9, 10, 0, 9};
  static constexpr uint8_t kUndrawnTypes[] = {3, 11, 25, 40};
  const CoursePoint p = course.At((index + 0.25) / total);
  const float side = index % 2 == 0 ? 1.0f : -1.0f;
  const uint8_t kind = kPattern[index % 7];
  if (kind == 10) {
    const float edge = SampleCourse::kRoadHalfWidth - 2.0f;
    return ObjectAt(10, p.x + p.nx * side * edge, p.y + p.ny * side * edge);
  }
  if (kind == 9) {
    const float beyond = SampleCourse::kVergeHalfWidth + 4.0f;
    return ObjectAt(9, p.x + p.nx * side * beyond, p.y + p.ny * side * beyond);
  }
  return ObjectAt(kUndrawnTypes[(index / 7) % 4], p.x, p.y, HeadingOf(p));
}

}  // namespace

std::vector<TrackObject> PlaceObjects(const SampleCourse& course, int count, int rectangles,
                                      uint8_t scale) {
  std::vector<TrackObject> objects;
  objects.reserve(static_cast<size_t>(count));
  const int markers = count - rectangles;
  for (int i = 0; i < markers; ++i) objects.push_back(Marker(course, i, markers));
  for (int i = 0; i < rectangles; ++i) objects.push_back(Grandstand(course, i, rectangles, scale));
  return objects;
}

std::vector<GhostSample> DriveGhost(const SampleCourse& course, int count, uint32_t driver_seed,
                                    uint8_t scale) {
  const double units_per_pixel = scale * 29.5 / 100.0;
  const double sway = 2.0 + driver_seed % 5;   // pixels either side of the centre
  const double waves = 3.0 + driver_seed % 4;  // per lap
  const double phase = 0.7 * (driver_seed % 9);
  std::vector<GhostSample> ghost;
  ghost.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const double lap = static_cast<double>(i) / count;
    const CoursePoint p = course.At(lap);
    const double offset = sway * std::sin(kTwoPi * waves * lap + phase);
    const double x = p.x + p.nx * offset;
    const double y = p.y + p.ny * offset;
    GhostSample sample;
    sample.gx = static_cast<uint16_t>(std::lround(x * units_per_pixel));
    sample.gy = static_cast<uint16_t>(std::lround((kBottomRow - y) * units_per_pixel));
    ghost.push_back(sample);
  }
  return ghost;
}

}  // namespace hl::competition
