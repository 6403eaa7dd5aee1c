#include "trackfile/objects.h"

#include <cmath>
#include <utility>
#include <vector>

#include "toolkit/raster/draw.h"
#include "trackfile/line_image.h"
#include "trackfile/track_layout.h"

namespace hl::trackfile {
namespace {

constexpr uint8_t kDotType = 10;
constexpr uint8_t kSquareType = 9;
constexpr uint8_t kRectangleType = 17;
constexpr uint8_t kOtherRectangleType = 18;
constexpr raster::Color kOutlineColour = raster::Rgb(170, 170, 170);

struct TrackObject {
  uint8_t type;
  int px;
  int py;
  uint8_t angle;
};

// Whole records inside the data only: a count that claims more is not
// followed past the end.
std::vector<TrackObject> ReadObjects(const state::AppState& s, const files::ByteView& file) {
  std::vector<TrackObject> objects;
  if (!layout::BlocksAfterHeader(s.GridBlock)) return objects;
  const int64_t first = s.ObjectBlock + 2;
  const int64_t count =
      layout::RecordsInside(file, first, layout::kObjectRecordSize, s.ObjectCount);
  for (int64_t i = 0; i < count; ++i) {
    const int64_t at = first + layout::kObjectRecordSize * i;
    const int16_t x = *file.GetI16(at + 2);
    const int16_t y = *file.GetI16(at + 4);
    objects.push_back({*file.GetU8(at), x / 2, kTrackEdge - y / 2, *file.GetU8(at + 7)});
  }
  return objects;
}

// low <= px < high and low <= py < high.
bool InBounds(int low, int high, int px, int py) {
  return px >= low && px < high && py >= low && py < high;
}

void DrawDot(raster::Image& image, int x, int y, raster::Color colour) {
  raster::Box(image, x - 1, y - 1, 3, 3, colour);
}

struct RectangleSize {
  int half_width;
  int half_length;
};

// The game's sizes in picture pixels; scale is not 0.
RectangleSize RectangleSizeFor(uint8_t scale) { return {(6200 / scale) / 2, (15900 / scale) / 2}; }

// Headings count in 244ths of a turn, with 0 pointing right. The constants
// and the single precision reproduce the game's own rounding of the corners.
float HeadingRadians(uint8_t angle) {
  int phi = angle + 61;
  if (phi > 244) phi -= 244;
  return static_cast<float>(phi) * 1.4754099845886f * 0.01745f;
}

void DrawRectangle(raster::Image& image, const TrackObject& object, RectangleSize size,
                   raster::Color fill) {
  const float theta = HeadingRadians(object.angle);
  const float px = static_cast<float>(object.px);
  const float py = static_cast<float>(object.py);
  const float length = static_cast<float>(size.half_length);
  const float width = static_cast<float>(size.half_width);
  const float front_x = px + std::sin(theta) * length;
  const float front_y = py - std::cos(theta) * length;
  const float back_x = px - std::sin(theta) * length;
  const float back_y = py + std::cos(theta) * length;
  const float dx = std::sin(1.5707963f - theta) * width;
  const float dy = std::cos(1.5707963f - theta) * width;

  const auto corner = [](float x, float y) {
    return std::pair{static_cast<int>(x), static_cast<int>(y)};
  };
  const auto [x1, y1] = corner(front_x - dx, front_y - dy);
  const auto [x2, y2] = corner(front_x + dx, front_y + dy);
  const auto [x3, y3] = corner(back_x - dx, back_y - dy);
  const auto [x4, y4] = corner(back_x + dx, back_y + dy);
  raster::Line(image, x1, y1, x2, y2, kOutlineColour);
  raster::Line(image, x3, y3, x4, y4, kOutlineColour);
  raster::Line(image, x1, y1, x3, y3, kOutlineColour);
  raster::Line(image, x2, y2, x4, y4, kOutlineColour);
  raster::FloodFill(image, object.px, object.py, kOutlineColour, fill);
}

void DrawObjects(raster::Image& image, const std::vector<TrackObject>& objects,
                 const state::AppState& s) {
  for (const TrackObject& o : objects) {
    if (o.type == kDotType && InBounds(1, kTrackEdge, o.px, o.py)) {
      DrawDot(image, o.px, o.py, s.Palette[7]);
    }
  }
  for (const TrackObject& o : objects) {
    if (o.type != kSquareType || !InBounds(1, kTrackEdge, o.px, o.py)) continue;
    raster::Box(image, o.px - 2, o.py - 2, 5, 5, s.Palette[0]);
    raster::Plot(image, o.px, o.py, s.Palette[7]);
  }
  // Without a scale the rectangles have no size.
  if (s.TrackScale == 0) return;
  const RectangleSize size = RectangleSizeFor(s.TrackScale);
  for (const TrackObject& o : objects) {
    const bool rectangle = o.type == kRectangleType || o.type == kOtherRectangleType;
    // The half width bounds both axes, also along the rectangle's length.
    const int low = size.half_width;
    if (rectangle && InBounds(low, kTrackEdge - low, o.px, o.py)) {
      DrawRectangle(image, o, size, s.Palette[1]);
    }
  }
}

}  // namespace

void DrawTrackObjects(state::AppState& s, ui::Ui& ui) {
  if (raster::Image* image = LineImage(s)) {
    DrawObjects(*image, ReadObjects(s, s.LoadedFile()), s);
  }
  ShowLineImage(s, ui);
}

}  // namespace hl::trackfile
