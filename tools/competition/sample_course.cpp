#include "tools/competition/sample_course.h"

#include <algorithm>
#include <cmath>

namespace hl::competition {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr int kDenseSamples = 8192;
constexpr int kCourseSamples = 2048;
constexpr float kCentre = 256.0f;
// Where on the shape the lap starts: on the long straight after the hairpin.
constexpr double kStartParameter = 0.9;

// A rounded, slightly lopsided loop: two long straights and corners of
// different radii, so the verges, gravel traps and kerbs have something to do.
void CourseShape(double t, double& x, double& y) {
  x = kCentre + 150.0 * std::cos(t) + 28.0 * std::cos(2.0 * t) - 12.0 * std::sin(3.0 * t);
  y = kCentre + 125.0 * std::sin(t) - 28.0 * std::sin(2.0 * t) + 14.0 * std::cos(3.0 * t);
}

struct DensePoint {
  double x, y, distance;
};

std::vector<DensePoint> DenseLoop() {
  std::vector<DensePoint> dense;
  dense.reserve(kDenseSamples + 1);
  double distance = 0;
  for (int i = 0; i <= kDenseSamples; ++i) {
    double x = 0, y = 0;
    CourseShape(kStartParameter + kTwoPi * i / kDenseSamples, x, y);
    if (!dense.empty()) distance += std::hypot(x - dense.back().x, y - dense.back().y);
    dense.push_back({x, y, distance});
  }
  return dense;
}

// Even spacing along the lap, so ghost samples and objects are spread by
// distance rather than by the shape's parameter.
std::vector<CoursePoint> EvenlySpaced(const std::vector<DensePoint>& dense) {
  const double lap = dense.back().distance;
  std::vector<CoursePoint> points;
  points.reserve(kCourseSamples);
  size_t segment = 1;
  for (int i = 0; i < kCourseSamples; ++i) {
    const double wanted = lap * i / kCourseSamples;
    while (dense[segment].distance < wanted) ++segment;
    const DensePoint& a = dense[segment - 1];
    const DensePoint& b = dense[segment];
    const double part = (wanted - a.distance) / std::max(1e-9, b.distance - a.distance);
    CoursePoint p;
    p.x = static_cast<float>(a.x + (b.x - a.x) * part);
    p.y = static_cast<float>(a.y + (b.y - a.y) * part);
    points.push_back(p);
  }
  for (int i = 0; i < kCourseSamples; ++i) {
    CoursePoint& p = points[static_cast<size_t>(i)];
    const CoursePoint& ahead = points[static_cast<size_t>((i + 1) % kCourseSamples)];
    const CoursePoint& behind =
        points[static_cast<size_t>((i + kCourseSamples - 1) % kCourseSamples)];
    const float dx = ahead.x - behind.x, dy = ahead.y - behind.y;
    const float length = std::max(1e-6f, std::hypot(dx, dy));
    p.tx = dx / length;
    p.ty = dy / length;
    p.nx = p.ty;
    p.ny = -p.tx;
    if (p.nx * (p.x - kCentre) + p.ny * (p.y - kCentre) < 0) {
      p.nx = -p.nx;
      p.ny = -p.ny;
    }
  }
  return points;
}

}  // namespace

SampleCourse::SampleCourse()
    : samples_(EvenlySpaced(DenseLoop())), map_(static_cast<size_t>(kMapSide * kMapSide), kGrass) {
  DrawMap();
}

CoursePoint SampleCourse::At(double fraction) const {
  double position = (fraction - std::floor(fraction)) * kCourseSamples;
  const int index = std::min(kCourseSamples - 1, static_cast<int>(position));
  const auto part = static_cast<float>(position - index);
  const CoursePoint& a = samples_[static_cast<size_t>(index)];
  const CoursePoint& b = samples_[static_cast<size_t>((index + 1) % kCourseSamples)];
  CoursePoint p = a;
  p.x = a.x + (b.x - a.x) * part;
  p.y = a.y + (b.y - a.y) * part;
  return p;
}

uint8_t SampleCourse::GroundAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= kMapSide || y >= kMapSide) return kGrass;
  return map_[static_cast<size_t>(y * kMapSide + x)];
}

void SampleCourse::DrawMap() {
  // Pit building along the start straight, a tower and a hall in the infield.
  StampAlong(-0.07, 0.02, -40.0f, 6.0f, kBuilding);
  FillBox(236, 236, 28, 22, kBuilding);
  FillBox(170, 300, 44, 14, kBuilding);

  // Gravel beyond the three main corners, then verges with kerbs there.
  for (double corner : {0.22, 0.5, 0.76})
    StampAlong(corner - 0.04, corner + 0.04, 20.0f, 22.0f, kGravel);
  StampAlong(0.0, 1.0, 0.0f, kVergeHalfWidth, kVerge);
  for (double corner : {0.22, 0.5, 0.76})
    StampAlong(corner - 0.03, corner + 0.03, 0.0f, kVergeHalfWidth, kKerb);
  StampAlong(0.0, 1.0, 0.0f, kRoadHalfWidth, kAsphalt);

  // The start line across the road and the first grid boxes behind it.
  const CoursePoint start = At(0.0);
  for (float across = -kRoadHalfWidth; across <= kRoadHalfWidth; across += 0.5f) {
    for (float along = 0; along < 3; along += 0.5f) {
      StampDisc(start.x + start.nx * across - start.tx * along,
                start.y + start.ny * across - start.ty * along, 0.0f, kLineMarking);
    }
  }
  for (double slot : {-0.012, -0.024}) {
    const CoursePoint p = At(slot);
    for (float side : {-5.0f, 5.0f})
      StampDisc(p.x + p.nx * side, p.y + p.ny * side, 1.5f, kLineMarking);
  }
}

void SampleCourse::StampAlong(double from, double to, float offset, float radius, uint8_t ground) {
  const int first = static_cast<int>(std::floor(from * kCourseSamples));
  const int last = static_cast<int>(std::ceil(to * kCourseSamples));
  for (int i = first; i <= last; ++i) {
    const CoursePoint& p =
        samples_[static_cast<size_t>(((i % kCourseSamples) + kCourseSamples) % kCourseSamples)];
    StampDisc(p.x + p.nx * offset, p.y + p.ny * offset, radius, ground);
  }
}

void SampleCourse::StampDisc(float cx, float cy, float radius, uint8_t ground) {
  const int left = static_cast<int>(std::floor(cx - radius));
  const int top = static_cast<int>(std::floor(cy - radius));
  const int right = static_cast<int>(std::ceil(cx + radius));
  const int bottom = static_cast<int>(std::ceil(cy + radius));
  for (int y = std::max(0, top); y <= std::min(kMapSide - 1, bottom); ++y) {
    for (int x = std::max(0, left); x <= std::min(kMapSide - 1, right); ++x) {
      const float dx = static_cast<float>(x) + 0.5f - cx, dy = static_cast<float>(y) + 0.5f - cy;
      if (dx * dx + dy * dy <= (radius + 0.5f) * (radius + 0.5f))
        map_[static_cast<size_t>(y * kMapSide + x)] = ground;
    }
  }
}

void SampleCourse::FillBox(int x, int y, int width, int height, uint8_t ground) {
  for (int row = std::max(0, y); row < std::min(kMapSide, y + height); ++row) {
    for (int column = std::max(0, x); column < std::min(kMapSide, x + width); ++column) {
      map_[static_cast<size_t>(row * kMapSide + column)] = ground;
    }
  }
}

std::array<uint8_t, 4096> SampleGrid(const SampleCourse& course, uint8_t threshold) {
  const auto below = static_cast<uint8_t>(threshold / 2);
  const auto above = static_cast<uint8_t>(std::min(255, threshold + 20));
  std::array<uint8_t, 4096> grid{};
  for (int cell = 0; cell < 4096; ++cell) {
    const int column = cell % 64, row = cell / 64;
    bool building = false;
    // A cell covers one pixel row more than the map: its top row may be -1.
    for (int y = 503 - 8 * row; y <= 510 - 8 * row && !building; ++y) {
      for (int x = 8 * column; x < 8 * column + 8 && !building; ++x) {
        building = course.GroundAt(x, y) == kBuilding && y >= 0;
      }
    }
    grid[static_cast<size_t>(cell)] = building ? below : above;
  }
  return grid;
}

}  // namespace hl::competition
