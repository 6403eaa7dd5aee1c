#include "publish/ghost_overlay.h"

#include <algorithm>
#include <cmath>

#include "toolkit/raster/draw.h"
#include "toolkit/text/text.h"

namespace hl::publish {
namespace {

constexpr int kTrackSide = 512;
constexpr int kRowHeight = 20;
constexpr int kMargin = 8;
constexpr int kSwatch = 14;
constexpr raster::Color kLegendBackground = raster::Rgb(255, 255, 255);
constexpr raster::Color kLegendText = raster::Rgb(0, 0, 0);

// Hue steps of the golden angle keep neighbouring places far apart.
raster::Color FromHue(double hue) {
  const double h = hue * 6.0;
  const double f = h - std::floor(h);
  constexpr double v = 0.85, s = 0.9;
  const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  double r = v, g = t, b = p;
  switch (static_cast<int>(h) % 6) {
    case 1:
      r = q, g = v, b = p;
      break;
    case 2:
      r = p, g = v, b = t;
      break;
    case 3:
      r = p, g = q, b = v;
      break;
    case 4:
      r = t, g = p, b = v;
      break;
    case 5:
      r = v, g = p, b = q;
      break;
    default:
      break;
  }
  const auto channel = [](double x) { return static_cast<int>(std::lround(x * 255)); };
  return raster::Rgb(channel(r), channel(g), channel(b));
}

void DrawGhost(raster::Image& image, std::span<const record::GhostPoint> ghost,
               raster::Color colour) {
  for (const record::GhostPoint& point : ghost) {
    // The same dots, within the same bounds, as the track picture's ghost.
    if (point.x >= 1 && point.x < kTrackSide - 1 && point.y >= 1 && point.y < kTrackSide - 1) {
      raster::Box(image, point.x - 1, point.y - 1, 3, 3, colour);
    }
  }
}

std::string LegendLine(const OverlayLap& lap) {
  std::string line = text::FormatInteger(lap.place) + ". " + lap.driver;
  if (lap.other_track) line += " (another track: not drawn)";
  return line;
}

}  // namespace

raster::Color PlaceColour(size_t place_index) {
  constexpr double kGoldenAngle = 0.381966011250105;
  return FromHue(std::fmod(0.02 + kGoldenAngle * static_cast<double>(place_index), 1.0));
}

std::optional<raster::Image> GhostOverlay(const raster::Image& track,
                                          const std::vector<OverlayLap>& laps,
                                          const raster::Font& font) {
  const int64_t fitting_rows = (raster::Image::kMaxSide - kTrackSide - 2 * kMargin) / kRowHeight;
  const int64_t rows = std::min<int64_t>(static_cast<int64_t>(laps.size()), fitting_rows);
  auto image = raster::Image::Create(
      kTrackSide, kTrackSide + 2 * kMargin + static_cast<int>(rows) * kRowHeight);
  if (!image) return std::nullopt;
  raster::Box(*image, 0, 0, image->Width(), image->Height(), kLegendBackground);
  raster::DrawImage(*image, 0, 0, track, kTrackSide, kTrackSide);
  for (size_t i = laps.size(); i-- > 0;) {
    if (!laps[i].other_track) DrawGhost(*image, laps[i].ghost.Items(), PlaceColour(i));
  }
  for (int64_t i = 0; i < rows; ++i) {
    const int y = kTrackSide + kMargin + static_cast<int>(i) * kRowHeight;
    const auto& lap = laps[static_cast<size_t>(i)];
    raster::Box(*image, kMargin, y + 3, kSwatch, kSwatch, PlaceColour(static_cast<size_t>(i)));
    raster::DrawText(*image, font, kMargin + kSwatch + 8, y, LegendLine(lap), kLegendText,
                     std::nullopt);
  }
  return image;
}

}  // namespace hl::publish
