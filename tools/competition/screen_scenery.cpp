#include "tools/competition/screen_scenery.h"

#include <algorithm>
#include <cmath>

#include "tools/competition/screen_noise.h"

namespace hl::competition {
namespace {

// Trees stand on a jittered grid: the spacing less twice the jitter stays
// above two crowns with their ragged edges, so crowns never overlap.
constexpr int kTreeSpacing = 16;
constexpr float kTreeJitter = 2.0f;
constexpr float kLargestCrown = 5.0f;
constexpr float kRaggedEdge = 1.0f;
constexpr float kClearance = 6.0f;  // open grass kept around a crown
// Light falls from the upper left.
constexpr int kShadowDx = 5;
constexpr int kShadowDy = 4;
constexpr int kShadowBlur = 1;
constexpr uint32_t kSaltJitterX = 11, kSaltJitterY = 12, kSaltClearing = 13, kSaltGap = 14,
                   kSaltSize = 15;

bool OpenGrassAround(const SampleCourse& course, float cx, float cy, float radius) {
  const int left = static_cast<int>(std::floor(cx - radius)),
            right = static_cast<int>(std::ceil(cx + radius));
  const int top = static_cast<int>(std::floor(cy - radius)),
            bottom = static_cast<int>(std::ceil(cy + radius));
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      const float dx = static_cast<float>(x) + 0.5f - cx, dy = static_cast<float>(y) + 0.5f - cy;
      if (dx * dx + dy * dy <= radius * radius && course.GroundAt(x, y) != kGrass) return false;
    }
  }
  return true;
}

// One pass of a box blur along rows (step 1) or columns (step = side).
std::vector<float> BoxBlur(const std::vector<float>& field, int side, bool along_rows) {
  std::vector<float> out(field.size(), 0.0f);
  const float weight = 1.0f / (2 * kShadowBlur + 1);
  for (int a = 0; a < side; ++a) {
    for (int b = 0; b < side; ++b) {
      float sum = 0;
      for (int k = std::max(0, b - kShadowBlur); k <= std::min(side - 1, b + kShadowBlur); ++k) {
        sum += along_rows ? field[static_cast<size_t>(a * side + k)]
                          : field[static_cast<size_t>(k * side + a)];
      }
      out[static_cast<size_t>(along_rows ? a * side + b : b * side + a)] = sum * weight;
    }
  }
  return out;
}

}  // namespace

Scenery::Scenery(const SampleCourse& course)
    : tree_index_(static_cast<size_t>(kSide) * kSide, int16_t{-1}),
      shadow_(tree_index_.size(), 0.0f) {
  PlantTrees(course);
  CastShadows(course);
}

void Scenery::PlantTrees(const SampleCourse& course) {
  const int cells = kSide / kTreeSpacing;
  for (int row = 0; row < cells; ++row) {
    for (int column = 0; column < cells; ++column) {
      const float cx = static_cast<float>(column * kTreeSpacing + kTreeSpacing / 2 - kBorder) +
                       kTreeJitter * NoiseSigned(column, row, kSaltJitterX);
      const float cy = static_cast<float>(row * kTreeSpacing + kTreeSpacing / 2 - kBorder) +
                       kTreeJitter * NoiseSigned(column, row, kSaltJitterY);
      // Woods with clearings, and single gaps inside the woods.
      if (ValueNoise(cx, cy, 90.0f, kSaltClearing) < 0.0f ||
          NoiseUnit(column, row, kSaltGap) < 0.2f)
        continue;
      const float radius = 3.5f + (kLargestCrown - 3.5f) * NoiseUnit(column, row, kSaltSize);
      if (!OpenGrassAround(course, cx, cy, radius + kClearance)) continue;
      trees_.push_back({cx, cy, radius});
    }
  }
  for (size_t i = 0; i < trees_.size(); ++i) {
    const Tree& tree = trees_[i];
    const float reach = tree.radius + kRaggedEdge;
    const int top = static_cast<int>(std::floor(tree.y - reach)),
              bottom = static_cast<int>(std::ceil(tree.y + reach));
    const int left = static_cast<int>(std::floor(tree.x - reach)),
              right = static_cast<int>(std::ceil(tree.x + reach));
    for (int y = top; y <= bottom; ++y) {
      for (int x = left; x <= right; ++x) {
        const int fx = x + kBorder, fy = y + kBorder;
        if (fx >= 0 && fy >= 0 && fx < kSide && fy < kSide) {
          tree_index_[static_cast<size_t>(fy * kSide + fx)] = static_cast<int16_t>(i);
        }
      }
    }
  }
}

void Scenery::CastShadows(const SampleCourse& course) {
  std::vector<float> casters(shadow_.size(), 0.0f);
  for (int fy = 0; fy < kSide; ++fy) {
    for (int fx = 0; fx < kSide; ++fx) {
      const int x = fx - kBorder - kShadowDx, y = fy - kBorder - kShadowDy;
      const bool building =
          x >= 0 && y >= 0 && x < kMapSide && y < kMapSide && course.GroundAt(x, y) == kBuilding;
      const Tree* tree = TreeNear(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
      const bool crown = tree && std::hypot(static_cast<float>(x) + 0.5f - tree->x,
                                            static_cast<float>(y) + 0.5f - tree->y) < tree->radius;
      casters[static_cast<size_t>(fy * kSide + fx)] = building || crown ? 1.0f : 0.0f;
    }
  }
  // Two box passes each way make a soft, roughly gaussian edge.
  for (int pass = 0; pass < 2; ++pass) {
    casters = BoxBlur(BoxBlur(casters, kSide, true), kSide, false);
  }
  shadow_ = std::move(casters);
}

const Tree* Scenery::TreeNear(float map_x, float map_y) const {
  const int fx = static_cast<int>(std::floor(map_x)) + kBorder,
            fy = static_cast<int>(std::floor(map_y)) + kBorder;
  if (fx < 0 || fy < 0 || fx >= kSide || fy >= kSide) return nullptr;
  const int16_t index = tree_index_[static_cast<size_t>(fy * kSide + fx)];
  return index < 0 ? nullptr : &trees_[static_cast<size_t>(index)];
}

float Scenery::ShadowAt(float map_x, float map_y) const {
  // Bilinear between field pixel centres, so shadows stay soft when enlarged.
  const float fx = map_x + kBorder - 0.5f, fy = map_y + kBorder - 0.5f;
  const float x0 = std::floor(fx), y0 = std::floor(fy);
  const int ix = static_cast<int>(x0), iy = static_cast<int>(y0);
  auto at = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= kSide || y >= kSide) return 0.0f;
    return shadow_[static_cast<size_t>(y * kSide + x)];
  };
  const float u = fx - x0, v = fy - y0;
  return std::lerp(std::lerp(at(ix, iy), at(ix + 1, iy), u),
                   std::lerp(at(ix, iy + 1), at(ix + 1, iy + 1), u), v);
}

}  // namespace hl::competition
