#include "tools/competition/screen_road_frame.h"

#include <algorithm>
#include <cmath>

namespace hl::competition {
namespace {

constexpr int kPoints = 2048;

size_t MapIndex(int x, int y) { return static_cast<size_t>(y) * kMapSide + static_cast<size_t>(x); }

}  // namespace

RoadFrame::RoadFrame(const SampleCourse& course)
    : nearest_(static_cast<size_t>(kMapSide) * kMapSide, int16_t{-1}) {
  points_.reserve(kPoints);
  along_.reserve(kPoints);
  float distance = 0;
  for (int i = 0; i < kPoints; ++i) {
    const CoursePoint p = course.At(static_cast<double>(i) / kPoints);
    if (!points_.empty()) distance += std::hypot(p.x - points_.back().x, p.y - points_.back().y);
    points_.push_back(p);
    along_.push_back(distance);
  }
  lap_ = distance +
         std::hypot(points_.front().x - points_.back().x, points_.front().y - points_.back().y);

  std::vector<float> best(nearest_.size(), kReach * kReach);
  for (int i = 0; i < kPoints; ++i) {
    const CoursePoint& p = points_[static_cast<size_t>(i)];
    const int top = std::max(0, static_cast<int>(std::floor(p.y - kReach)));
    const int bottom = std::min(kMapSide - 1, static_cast<int>(std::ceil(p.y + kReach)));
    const int left = std::max(0, static_cast<int>(std::floor(p.x - kReach)));
    const int right = std::min(kMapSide - 1, static_cast<int>(std::ceil(p.x + kReach)));
    for (int y = top; y <= bottom; ++y) {
      for (int x = left; x <= right; ++x) {
        const float dx = static_cast<float>(x) + 0.5f - p.x,
                    dy = static_cast<float>(y) + 0.5f - p.y;
        const float squared = dx * dx + dy * dy;
        if (squared < best[MapIndex(x, y)]) {
          best[MapIndex(x, y)] = squared;
          nearest_[MapIndex(x, y)] = static_cast<int16_t>(i);
        }
      }
    }
  }
}

std::optional<RoadFrame::Place> RoadFrame::Locate(float map_x, float map_y) const {
  const int x = static_cast<int>(std::floor(map_x)), y = static_cast<int>(std::floor(map_y));
  if (x < 0 || y < 0 || x >= kMapSide || y >= kMapSide) return std::nullopt;
  const int16_t index = nearest_[MapIndex(x, y)];
  if (index < 0) return std::nullopt;
  const CoursePoint& p = points_[static_cast<size_t>(index)];
  const float dx = map_x - p.x, dy = map_y - p.y;
  float along = along_[static_cast<size_t>(index)] + dx * p.tx + dy * p.ty;
  if (along < 0) along += lap_;
  return Place{along, dx * p.nx + dy * p.ny};
}

}  // namespace hl::competition
