#pragma once
// Where a map position lies in the road's own frame: how far along the lap
// and how far from the centre line. Kerb stripes run across the road and
// edge lines along it; taken from the pixel grid instead they would not
// follow the curves.

#include <cstdint>
#include <optional>
#include <vector>

#include "tools/competition/sample_course.h"

namespace hl::competition {

class RoadFrame {
 public:
  // Positions farther than this from the centre line are not located.
  static constexpr float kReach = SampleCourse::kVergeHalfWidth + 3.0f;

  struct Place {
    float along;   // map pixels from the start line
    float across;  // map pixels from the centre line, positive away from the infield
  };

  explicit RoadFrame(const SampleCourse& course);

  std::optional<Place> Locate(float map_x, float map_y) const;

 private:
  std::vector<CoursePoint> points_;  // evenly spaced along the lap
  std::vector<float> along_;         // per point
  std::vector<int16_t> nearest_;     // per map pixel: index of the nearest point, -1 beyond reach
  float lap_ = 0;
};

}  // namespace hl::competition
