#include "tools/competition/screen_ground.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "tools/competition/screen_noise.h"
#include "tools/competition/screen_road_frame.h"
#include "tools/competition/screen_scenery.h"

namespace hl::competition {
namespace {

struct Shade {
  float r, g, b;
};

Shade Lift(Shade s, float amount) { return {s.r + amount, s.g + amount, s.b + amount}; }
Shade Scale(Shade s, float factor) { return {s.r * factor, s.g * factor, s.b * factor}; }
Shade Mix(Shade a, Shade b, float t) {
  return {std::lerp(a.r, b.r, t), std::lerp(a.g, b.g, t), std::lerp(a.b, b.b, t)};
}

constexpr Shade kGrassColour{84, 142, 54};
constexpr Shade kDryGrassColour{132, 146, 70};
constexpr Shade kVergeColour{150, 152, 96};
constexpr Shade kDirtColour{138, 118, 84};
constexpr Shade kGravelColour{178, 164, 130};
constexpr Shade kAsphaltColour{96, 97, 101};
constexpr Shade kPaintColour{222, 222, 216};
constexpr Shade kKerbRed{192, 38, 34};
constexpr Shade kRoofColour{198, 190, 180};
constexpr Shade kRoofEdgeColour{88, 84, 80};
constexpr Shade kCrownColour{46, 92, 38};

constexpr float kKerbStripe = 3.5f;   // map pixels per colour
constexpr float kMowingBand = 13.0f;  // map pixels per band
constexpr float kShadowDepth = 0.5f;

enum Salt : uint32_t {
  kSaltPatch = 1,
  kSaltBlade,
  kSaltGrain,
  kSaltDirt,
  kSaltPebble,
  kSaltStone,
  kSaltCrown,
  kSaltRagged,
  kSaltSoil
};

// A map position with the picture pixel it is painted into: the coarse
// texture follows the ground, the grain follows the pixels.
struct Spot {
  float mx, my;
  int px, py;
};

class GroundPainter {
 public:
  GroundPainter(const SampleCourse& course, float scale)
      : course_(course), road_(course), scenery_(course), edge_(1.0f / scale) {}

  Shade At(const Spot& spot) const {
    const int ix = static_cast<int>(std::floor(spot.mx)),
              iy = static_cast<int>(std::floor(spot.my));
    const uint8_t ground = course_.GroundAt(ix, iy);
    if (ground == kBuilding) return Roof(spot, ix, iy);
    if (ground == kGrass) {
      if (const Tree* tree = scenery_.TreeNear(spot.mx, spot.my)) {
        if (auto crown = Crown(spot, *tree)) return *crown;
      }
    }
    const Shade surface = Surface(ground, spot);
    return Scale(surface, 1.0f - kShadowDepth * scenery_.ShadowAt(spot.mx, spot.my));
  }

 private:
  Shade Surface(uint8_t ground, const Spot& spot) const {
    switch (ground) {
      case kGrass:
        return Grass(spot);
      case kVerge:
        return Verge(spot);
      case kGravel:
        return Gravel(spot);
      case kKerb:
        return Kerb(spot);
      case kLineMarking:
        return Lift(kPaintColour, 7 * NoiseSigned(spot.px, spot.py, kSaltGrain));
      default:
        return Asphalt(spot);
    }
  }

  // Mown stripes, drier patches and short blades that run down the picture.
  static Shade Grass(const Spot& s) {
    const float patch = ValueNoise(s.mx, s.my, 30.0f, kSaltPatch);
    Shade colour = Mix(kGrassColour, kDryGrassColour, 0.6f * std::max(0.0f, patch));
    colour = Lift(colour, -12.0f * std::max(0.0f, -patch));
    const bool light_band =
        static_cast<int>(std::floor((s.mx * 0.8f + s.my * 0.6f) / kMowingBand)) % 2 == 0;
    colour = Scale(colour, light_band ? 1.07f : 0.94f);
    const float blade = 6.0f * NoiseSigned(s.px, (s.py + s.px % 3) / 3, kSaltBlade);
    const float grain = 3.0f * NoiseSigned(s.px, s.py, kSaltGrain);
    return {colour.r + 0.6f * blade + grain, colour.g + 1.2f * blade + grain,
            colour.b + 0.5f * blade + grain};
  }

  static Shade Verge(const Spot& s) {
    const float dirt = std::max(0.0f, ValueNoise(s.mx, s.my, 6.0f, kSaltDirt));
    return Lift(Mix(kVergeColour, kDirtColour, dirt), 12.0f * NoiseSigned(s.px, s.py, kSaltGrain));
  }

  static Shade Gravel(const Spot& s) {
    const float pebble = NoiseUnit(s.px, s.py, kSaltPebble);
    const float clumps = 8.0f * ValueNoise(s.mx, s.my, 3.0f, kSaltDirt);
    const float grain = 10.0f * NoiseSigned(s.px, s.py, kSaltGrain);
    const float speck = pebble < 0.12f ? 38.0f : pebble < 0.26f ? -34.0f : grain;
    return Lift(kGravelColour, clumps + speck);
  }

  // Fine grain with a few light stones, worn patches, rubber down the middle
  // and white lines along both edges.
  Shade Asphalt(const Spot& s) const {
    const float stone = NoiseUnit(s.px, s.py, kSaltStone) < 0.04f ? 26.0f : 0.0f;
    Shade colour = Lift(kAsphaltColour, 7.0f * ValueNoise(s.mx, s.my, 18.0f, kSaltPatch) +
                                            9.0f * NoiseSigned(s.px, s.py, kSaltGrain) + stone);
    if (const auto place = road_.Locate(s.mx, s.my)) {
      const float off_centre = std::abs(place->across);
      if (off_centre < 4.0f) colour = Lift(colour, -9.0f * (1.0f - off_centre / 4.0f));
      const float edge = SampleCourse::kRoadHalfWidth;
      if (off_centre > edge - 1.8f && off_centre < edge - 0.7f) {
        colour = Lift(kPaintColour, 8.0f * NoiseSigned(s.px, s.py, kSaltGrain) - 10.0f);
      }
    }
    return colour;
  }

  Shade Kerb(const Spot& s) const {
    const auto place = road_.Locate(s.mx, s.my);
    const bool red = !place || static_cast<int>(std::floor(place->along / kKerbStripe)) % 2 == 0;
    return Lift(red ? kKerbRed : kPaintColour, 6.0f * NoiseSigned(s.px, s.py, kSaltGrain));
  }

  // Corrugated roofs with a dark rim where the building ends.
  Shade Roof(const Spot& s, int ix, int iy) const {
    const float fx = s.mx - static_cast<float>(ix), fy = s.my - static_cast<float>(iy);
    auto open = [&](int x, int y) { return course_.GroundAt(x, y) != kBuilding; };
    const bool rim = (fx < edge_ && open(ix - 1, iy)) || (fx >= 1.0f - edge_ && open(ix + 1, iy)) ||
                     (fy < edge_ && open(ix, iy - 1)) || (fy >= 1.0f - edge_ && open(ix, iy + 1));
    if (rim) return kRoofEdgeColour;
    const float corrugation = s.py % 4 == 0 ? -18.0f : s.py % 4 == 1 ? 6.0f : 0.0f;
    return Lift(kRoofColour, corrugation + 8.0f * ValueNoise(s.mx, s.my, 8.0f, kSaltSoil) +
                                 5.0f * NoiseSigned(s.px, s.py, kSaltGrain));
  }

  // A ragged crown, lit from the upper left, with clumps of leaves.
  static std::optional<Shade> Crown(const Spot& s, const Tree& tree) {
    const float dx = s.mx - tree.x, dy = s.my - tree.y;
    const float distance = std::hypot(dx, dy);
    const float outline = tree.radius * (1.0f + 0.15f * ValueNoise(s.mx, s.my, 1.5f, kSaltRagged));
    if (distance >= outline) return std::nullopt;
    const float light = -(dx + dy) / (2.0f * tree.radius);
    const float rim = distance / outline;
    return Lift(kCrownColour, 30.0f * light - 16.0f * rim * rim +
                                  18.0f * ValueNoise(s.mx, s.my, 1.3f, kSaltCrown) +
                                  8.0f * NoiseSigned(s.px, s.py, kSaltGrain));
  }

  const SampleCourse& course_;
  RoadFrame road_;
  Scenery scenery_;
  float edge_;  // one picture pixel in map pixels
};

uint8_t Channel(float value) {
  return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

}  // namespace

raster::Image RenderGround(const SampleCourse& course, const GroundView& view) {
  const GroundPainter painter(course, view.scale);
  raster::Image image = *raster::Image::Create(view.width, view.height);
  std::vector<uint8_t>& rgb = image.Pixels();
  size_t i = 0;
  for (int y = 0; y < view.height; ++y) {
    const float my = view.MapY(static_cast<float>(y) + 0.5f);
    for (int x = 0; x < view.width; ++x) {
      const Shade shade = painter.At({view.MapX(static_cast<float>(x) + 0.5f), my, x, y});
      rgb[i++] = Channel(shade.r);
      rgb[i++] = Channel(shade.g);
      rgb[i++] = Channel(shade.b);
    }
  }
  return image;
}

}  // namespace hl::competition
