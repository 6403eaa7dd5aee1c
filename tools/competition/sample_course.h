#pragma once
// The circuit of the sample competition: a closed course through a 512 x 512
// map of the game's ground kinds, with verges, gravel traps, a start
// line and a few buildings. Everything is computed, nothing is loaded, so the
// sample is the same on every machine.

#include <array>
#include <cstdint>
#include <vector>

namespace hl::competition {

constexpr int kMapSide = 512;

// Ground colours (indices into the game's 16-colour map palette).
enum Ground : uint8_t {
  kAsphalt = 0,
  kLineMarking = 1,
  kGrass = 2,
  kVerge = 3,
  kGravel = 4,
  kKerb = 5,
  kBuilding = 6,
};

struct CoursePoint {
  float x = 0;   // pixels, to the right
  float y = 0;   // pixels, downward
  float tx = 0;  // unit direction of travel
  float ty = 0;
  float nx = 0;  // unit normal pointing away from the infield
  float ny = 0;
};

class SampleCourse {
 public:
  static constexpr float kRoadHalfWidth = 11.0f;
  static constexpr float kVergeHalfWidth = 16.0f;

  SampleCourse();

  // The point at `fraction` of the lap length from the start line (wraps).
  CoursePoint At(double fraction) const;

  // Palette index per pixel, rows top to bottom.
  const std::vector<uint8_t>& Map() const { return map_; }
  uint8_t GroundAt(int x, int y) const;

 private:
  void DrawMap();
  void StampAlong(double from, double to, float offset, float radius, uint8_t ground);
  void StampDisc(float cx, float cy, float radius, uint8_t ground);
  void FillBox(int x, int y, int width, int height, uint8_t ground);

  std::vector<CoursePoint> samples_;  // evenly spaced along the lap
  std::vector<uint8_t> map_;
};

// 64 x 64 cells, rows counted from the bottom: the cells a building stands in
// lie below `threshold`, the rest above it.
std::array<uint8_t, 4096> SampleGrid(const SampleCourse& course, uint8_t threshold);

}  // namespace hl::competition
