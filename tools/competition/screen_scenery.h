#pragma once
// Trees on the open grass and the soft shadows that trees and buildings cast.
// Both are kept on a field a little larger than the map, since the pictures
// show some ground beyond its edges.

#include <cstdint>
#include <vector>

#include "tools/competition/sample_course.h"

namespace hl::competition {

struct Tree {
  float x = 0;  // centre, map pixels
  float y = 0;
  float radius = 0;
};

class Scenery {
 public:
  // How far the field reaches beyond each edge of the map, in map pixels.
  static constexpr int kBorder = 64;

  explicit Scenery(const SampleCourse& course);

  // The tree whose crown may cover the map position, or nullptr. Crowns are
  // ragged, so the caller decides the exact outline.
  const Tree* TreeNear(float map_x, float map_y) const;
  // 0 in full light, up to 1 in full shadow.
  float ShadowAt(float map_x, float map_y) const;

 private:
  static constexpr int kSide = kMapSide + 2 * kBorder;

  void PlantTrees(const SampleCourse& course);
  void CastShadows(const SampleCourse& course);

  std::vector<Tree> trees_;
  std::vector<int16_t> tree_index_;  // per field pixel, -1 without a tree
  std::vector<float> shadow_;        // per field pixel
};

}  // namespace hl::competition
