#include "trackfile/ghost.h"

#include <cmath>
#include <cstddef>
#include <span>

#include "toolkit/raster/draw.h"
#include "trackfile/line_image.h"
#include "trackfile/track_layout.h"

namespace hl::trackfile {
namespace {

constexpr raster::Color kGhostColour = raster::Rgb(0, 0, 255);

// Game position to picture pixel: nearest integer, halves to even, as a
// store of the single-precision quotient into an integer does (the default
// rounding of the floating-point unit). Positions are 16-bit and the scale
// is at least 0.295, so the quotient is far inside the int range.
int ToPixel(uint16_t game_position, float scale) {
  return static_cast<int>(std::nearbyint(static_cast<float>(game_position) / scale));
}

uint16_t U16At(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void DrawSamples(raster::Image& image, const state::AppState& s, const files::ByteView& file) {
  const int64_t first = s.GhostBlock + 2;
  // The file does not tell whether the sample after the last counted one
  // belongs to the ghost; it is drawn when the data holds it.
  const int64_t visited = static_cast<int64_t>(s.GhostCount) + 1;
  const int64_t count = layout::RecordsInside(file, first, layout::kGhostSampleSize, visited);
  const auto samples = file.Slice(first, count * layout::kGhostSampleSize);
  if (!samples) return;
  for (size_t at = 0; at < samples->size(); at += layout::kGhostSampleSize) {
    const int px = ToPixel(U16At(*samples, at), s.GhostScale);
    const int py = kTrackEdge - ToPixel(U16At(*samples, at + 4), s.GhostScale);
    if (px >= 1 && px < kTrackEdge && py >= 1 && py < kTrackEdge) {
      raster::Box(image, px - 1, py - 1, 3, 3, kGhostColour);
    }
  }
}

}  // namespace

void DrawGhost(state::AppState& s, ui::Ui& ui) {
  if (s.Slot1Time >= state::kNoTime) {
    ui.AppendLine(state::id::kLogBox, "kein Ghost!");
    return;
  }
  s.GhostScale = static_cast<float>(s.TrackScale) * 29.5f / 100.0f;
  raster::Image* image = LineImage(s);
  // A scale of 0 would put every sample at infinity.
  if (image && s.GhostScale > 0.0f) DrawSamples(*image, s, s.LoadedFile());
  ShowLineImage(s, ui);
}

}  // namespace hl::trackfile
