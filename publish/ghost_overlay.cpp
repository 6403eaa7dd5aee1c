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

std::optional<GhostOverlay> GhostOverlay::Draw(const raster::Image& track,
                                               const std::vector<OverlayLap>& laps,
                                               const raster::Font& font) {
  auto square = raster::Image::Create(kTrackSide, kTrackSide);
  if (!square) return std::nullopt;
  raster::DrawImage(*square, 0, 0, track, kTrackSide, kTrackSide);
  for (size_t i = laps.size(); i-- > 0;) {
    if (!laps[i].other_track) DrawGhost(*square, laps[i].ghost.Items(), PlaceColour(i));
  }
  const int64_t fitting_rows = (raster::Image::kMaxSide - kTrackSide - 2 * kMargin) / kRowHeight;
  std::vector<std::string> legend;
  for (size_t i = 0; i < laps.size() && static_cast<int64_t>(i) < fitting_rows; ++i)
    legend.push_back(LegendLine(laps[i]));
  return GhostOverlay(std::move(*square), std::move(legend), font);
}

int GhostOverlay::Height() const {
  return kTrackSide + 2 * kMargin + static_cast<int>(legend_.size()) * kRowHeight;
}

void GhostOverlay::DrawRows(raster::Image& band, int first_row) const {
  // The drawing primitives clip, so what falls outside the band is left to
  // the band that holds it.
  raster::Box(band, 0, 0, band.Width(), band.Height(), kLegendBackground);
  raster::DrawImage(band, 0, -first_row, square_, kTrackSide, kTrackSide);
  const int legend_top = kTrackSide + kMargin;
  const int first = std::max(0, (first_row - legend_top) / kRowHeight - 1);
  const int last = (first_row + band.Height() - legend_top) / kRowHeight + 1;
  for (int i = first; i <= last && i < static_cast<int>(legend_.size()); ++i) {
    const int y = legend_top + i * kRowHeight - first_row;
    raster::Box(band, kMargin, y + 3, kSwatch, kSwatch, PlaceColour(static_cast<size_t>(i)));
    raster::DrawText(band, *font_, kMargin + kSwatch + 8, y, legend_[static_cast<size_t>(i)],
                     kLegendText, std::nullopt);
  }
}

}  // namespace hl::publish
