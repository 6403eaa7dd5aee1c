#include "tools/competition/screen_shot.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "toolkit/raster/draw.h"
#include "tools/competition/screen_noise.h"

namespace hl::competition {
namespace {

using raster::Color;
using raster::Rgb;

constexpr float kCarLength = 9.0f;  // map pixels
constexpr float kCarWidth = 4.4f;
constexpr int kNoTime = 6000;
constexpr int kTopSpeed = 280;  // km/h, full speed bar
constexpr int kSpeedSegments = 12;
constexpr Color kBlack = Rgb(0, 0, 0);
constexpr Color kHudWhite = Rgb(240, 240, 240);
constexpr Color kHudYellow = Rgb(255, 208, 64);
constexpr Color kLapColour = Rgb(230, 40, 36);
constexpr Color kGlassColour = Rgb(36, 44, 56);
constexpr std::array<Color, 8> kCarColours = {
    Rgb(200, 24, 24),  Rgb(24, 72, 200),  Rgb(240, 200, 20),  Rgb(30, 150, 60),
    Rgb(240, 120, 20), Rgb(130, 40, 170), Rgb(230, 230, 230), Rgb(30, 30, 34)};
enum Salt : uint32_t { kSaltCameraX = 21, kSaltCameraY, kSaltPlace, kSaltSpeed };

void Blend(raster::Image& image, int x, int y, Color colour, float alpha) {
  if (!image.Inside(x, y)) return;
  const Color under = image.At(x, y);
  auto mix = [alpha](int from, int to) {
    return static_cast<int>(std::lround(std::lerp(from, to, alpha)));
  };
  image.Set(x, y,
            Rgb(mix(raster::RedOf(under), raster::RedOf(colour)),
                mix(raster::GreenOf(under), raster::GreenOf(colour)),
                mix(raster::BlueOf(under), raster::BlueOf(colour))));
}

void BlendBox(raster::Image& image, int left, int top, int width, int height, Color colour,
              float alpha) {
  for (int y = std::max(0, top); y < std::min(image.Height(), top + height); ++y) {
    for (int x = std::max(0, left); x < std::min(image.Width(), left + width); ++x) {
      Blend(image, x, y, colour, alpha);
    }
  }
}

uint32_t Pick(uint32_t seed, uint32_t salt, uint32_t choices) {
  return NoiseHash(static_cast<int32_t>(seed), 0, salt) % choices;
}

// As the game's clock shows it: minutes, seconds, hundredths.
std::string LapClock(int16_t hundredths) {
  if (hundredths < 0 || hundredths >= kNoTime) return "-:--.--";
  char text[16];
  std::snprintf(text, sizeof text, "%d:%02d.%02d", hundredths / 6000, hundredths / 100 % 60,
                hundredths % 100);
  return text;
}

// A car seen from above, `u` along its heading and `v` across it, with
// rounded corners.
bool InsideCar(float u, float v, float half_length, float half_width) {
  u = std::abs(u);
  v = std::abs(v);
  if (u > half_length || v > half_width) return false;
  const float corner = half_width * 0.45f;
  const float cu = u - (half_length - corner), cv = v - (half_width - corner);
  return cu <= 0 || cv <= 0 || cu * cu + cv * cv <= corner * corner;
}

Color Shaded(Color c, float factor) {
  auto channel = [factor](int value) {
    return std::clamp(static_cast<int>(std::lround(static_cast<float>(value) * factor)), 0, 255);
  };
  return Rgb(channel(raster::RedOf(c)), channel(raster::GreenOf(c)), channel(raster::BlueOf(c)));
}

// The car's colour at `front` (-1 rear .. 1 nose) and `side` (-1 .. 1):
// windscreen and rear window, a stripe down the middle, and a rounded body
// that is brighter along the spine than at the flanks.
Color CarPaint(float front, float side, Color body) {
  const bool windscreen =
      front > 0.05f && front<0.4f, rear_window = front> - 0.75f && front < -0.55f;
  const bool glass = (windscreen || rear_window) && std::abs(side) < 0.8f;
  const Color paint = glass ? kGlassColour : std::abs(side) < 0.18f ? kHudWhite : body;
  return Shaded(paint, 1.1f - 0.3f * side * side);
}

GroundView ViewFor(int width, int height, int play) {
  GroundView view;
  view.width = width + 2 * play;
  view.height = height + 2 * play;
  // The whole circuit fits at this scale in any 4:3 or wider picture.
  view.scale = static_cast<float>(std::max(width, height)) / kMapSide;
  view.left = kMapSide / 2.0f - static_cast<float>(view.width) / (2.0f * view.scale);
  view.top = kMapSide / 2.0f - static_cast<float>(view.height) / (2.0f * view.scale);
  return view;
}

// Where the camera stands in the ground, which is larger than a picture.
struct Shift {
  int x, y;
};

struct PicturePoint {
  float x, y;
};

PicturePoint OnPicture(const GroundView& view, MapPoint point, Shift shift) {
  return {view.PictureX(point.x) - static_cast<float>(shift.x),
          view.PictureY(point.y) - static_cast<float>(shift.y)};
}

// The ghost's line, translucent so the road shows through. Pixels are
// marked first and blended once, so overlapping strokes do not darken.
void DrawLap(raster::Image& picture, const GroundView& view, const std::vector<MapPoint>& lap,
             Shift shift) {
  if (lap.size() < 2) return;
  const int thickness = std::max(1, static_cast<int>(std::lround(view.scale * 0.75f)));
  const auto width = static_cast<size_t>(picture.Width());
  std::vector<bool> marked(width * static_cast<size_t>(picture.Height()), false);
  auto cell = [width](int x, int y) {
    return static_cast<size_t>(y) * width + static_cast<size_t>(x);
  };
  auto mark = [&](int left, int top) {
    for (int y = top; y < top + thickness; ++y) {
      for (int x = left; x < left + thickness; ++x) {
        if (picture.Inside(x, y)) marked[cell(x, y)] = true;
      }
    }
  };
  for (size_t i = 0; i < lap.size(); ++i) {
    const PicturePoint a = OnPicture(view, lap[i], shift);
    const PicturePoint b = OnPicture(view, lap[(i + 1) % lap.size()], shift);
    const float longer_side = std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
    const int steps = std::max(1, static_cast<int>(std::ceil(longer_side)));
    for (int step = 0; step < steps; ++step) {
      const float t = static_cast<float>(step) / static_cast<float>(steps);
      mark(static_cast<int>(std::floor(std::lerp(a.x, b.x, t))) - thickness / 2,
           static_cast<int>(std::floor(std::lerp(a.y, b.y, t))) - thickness / 2);
    }
  }
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      if (marked[cell(x, y)]) Blend(picture, x, y, kLapColour, 0.5f);
    }
  }
}

// Where the car stands and which way it points: somewhere on its lap, or on
// the grid before it set a time.
struct CarPose {
  MapPoint at;
  float hx, hy;  // unit heading
};

CarPose PoseOf(const ScreenMoment& moment, const CoursePoint& grid_slot) {
  CarPose pose{{grid_slot.x, grid_slot.y}, grid_slot.tx, grid_slot.ty};
  if (moment.lap.empty()) return pose;
  const size_t k = Pick(moment.seed, kSaltPlace, static_cast<uint32_t>(moment.lap.size()));
  const MapPoint& next = moment.lap[(k + 1) % moment.lap.size()];
  pose.at = moment.lap[k];
  const float length = std::hypot(next.x - pose.at.x, next.y - pose.at.y);
  if (length > 0) {
    pose.hx = (next.x - pose.at.x) / length;
    pose.hy = (next.y - pose.at.y) / length;
  }
  return pose;
}

// The car with a soft shadow to the lower right like the buildings'.
void DrawCar(raster::Image& picture, const GroundView& view, const CarPose& pose, Color body,
             Shift shift) {
  const PicturePoint centre = OnPicture(view, pose.at, shift);
  const float half_length = kCarLength * view.scale / 2, half_width = kCarWidth * view.scale / 2;
  const float shadow = view.scale;
  const int reach = static_cast<int>(std::ceil(half_length + shadow)) + 1;
  // Visits the pixels of the car moved by `offset`, with their place on the car.
  auto each_pixel = [&](float offset, auto paint) {
    const int cx = static_cast<int>(centre.x), cy = static_cast<int>(centre.y);
    for (int y = cy - reach; y <= cy + reach; ++y) {
      for (int x = cx - reach; x <= cx + reach; ++x) {
        const float dx = static_cast<float>(x) + 0.5f - centre.x - offset;
        const float dy = static_cast<float>(y) + 0.5f - centre.y - offset;
        const float u = dx * pose.hx + dy * pose.hy, v = dy * pose.hx - dx * pose.hy;
        if (InsideCar(u, v, half_length, half_width)) paint(x, y, u / half_length, v / half_width);
      }
    }
  };
  each_pixel(shadow, [&](int x, int y, float, float) { Blend(picture, x, y, kBlack, 0.35f); });
  each_pixel(0.0f, [&](int x, int y, float front, float side) {
    Blend(picture, x, y, CarPaint(front, side, body), 1.0f);
  });
}

void DrawHud(raster::Image& picture, const raster::Font* font, const ScreenMoment& moment) {
  const int line = font ? font->LineHeight() : 14;
  auto text = [&](int x, int y, const std::string& words, Color colour) {
    if (font) raster::DrawText(picture, *font, x, y, words, colour, std::nullopt);
  };

  BlendBox(picture, 10, 10, 176, 2 * line + 12, kBlack, 0.55f);
  text(18, 16, "LAP", kHudYellow);
  text(74, 16, LapClock(moment.lap_time), kHudWhite);
  text(18, 16 + line, "REC", kHudYellow);
  text(74, 16 + line, LapClock(moment.record_time), kHudWhite);

  const bool driving = !moment.lap.empty();
  const int speed = driving ? 120 + static_cast<int>(Pick(moment.seed, kSaltSpeed, 140)) : 0;
  const int panel_width = 12 + kSpeedSegments * 12, panel_height = line + 28;
  const int left = picture.Width() - panel_width - 10, top = picture.Height() - panel_height - 10;
  BlendBox(picture, left, top, panel_width, panel_height, kBlack, 0.55f);
  text(left + 10, top + 6, std::to_string(speed) + " km/h", kHudWhite);
  const std::string gear = driving ? std::to_string(std::min(6, 1 + speed / 45)) : std::string("N");
  if (font) text(left + panel_width - 10 - font->TextWidth(gear), top + 6, gear, kHudYellow);
  const int lit = speed * kSpeedSegments / kTopSpeed;
  for (int segment = 0; segment < kSpeedSegments; ++segment) {
    const Color colour = segment >= lit                     ? Rgb(70, 70, 70)
                         : segment < kSpeedSegments / 2     ? Rgb(60, 200, 70)
                         : segment < kSpeedSegments * 5 / 6 ? Rgb(240, 200, 40)
                                                            : Rgb(230, 50, 40);
    BlendBox(picture, left + 8 + segment * 12, top + line + 14, 9, 8, colour, 0.9f);
  }
}

}  // namespace

ScreenCamera::ScreenCamera(const SampleCourse& course, int width, int height,
                           const raster::Font* font)
    : width_(width),
      height_(height),
      play_(std::max(1, std::max(width, height) / 40)),
      view_(ViewFor(width, height, play_)),
      ground_(RenderGround(course, view_)),
      grid_slot_(course.At(-0.012)),
      font_(font) {}

raster::Image ScreenCamera::Capture(const ScreenMoment& moment) const {
  const auto span = static_cast<uint32_t>(2 * play_ + 1);
  const Shift shift{static_cast<int>(Pick(moment.seed, kSaltCameraX, span)),
                    static_cast<int>(Pick(moment.seed, kSaltCameraY, span))};
  raster::Image picture = *raster::Image::Create(width_, height_);
  const std::vector<uint8_t>& ground = ground_.Pixels();
  const auto row_bytes = static_cast<size_t>(width_) * 3;
  const auto ground_row_bytes = static_cast<size_t>(ground_.Width()) * 3;
  for (int y = 0; y < height_; ++y) {
    const size_t from =
        static_cast<size_t>(y + shift.y) * ground_row_bytes + static_cast<size_t>(shift.x) * 3;
    std::copy_n(
        ground.begin() + static_cast<std::ptrdiff_t>(from), row_bytes,
        picture.Pixels().begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(y) * row_bytes));
  }
  DrawLap(picture, view_, moment.lap, shift);
  DrawCar(picture, view_, PoseOf(moment, grid_slot_), kCarColours[moment.seed % kCarColours.size()],
          shift);
  DrawHud(picture, font_, moment);
  return picture;
}

}  // namespace hl::competition
