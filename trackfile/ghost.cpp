#include "trackfile/ghost.h"

#include "record/rules.h"
#include "toolkit/raster/draw.h"
#include "trackfile/ghost_samples.h"
#include "trackfile/line_image.h"

namespace hl::trackfile {
namespace {

constexpr raster::Color kGhostColour = raster::Rgb(0, 0, 255);

void DrawSamples(raster::Image& image, const state::AppState& s, const files::ByteView& file) {
  const auto samples = VisitedGhostSamples(file, s.GhostBlock, s.GhostCount);
  for (const record::GhostPoint& point : PlaceGhost(samples, s.GhostScale)) {
    if (point.x >= 1 && point.x < kTrackEdge && point.y >= 1 && point.y < kTrackEdge) {
      raster::Box(image, point.x - 1, point.y - 1, 3, 3, kGhostColour);
    }
  }
}

}  // namespace

bool LogMissingGhost(state::AppState& s, ui::Ui& ui) {
  if (s.Slot1Time < record::kNoTime) return false;
  ui.AppendLine(state::id::kLogBox, "kein Ghost!");
  return true;
}

void DrawGhost(state::AppState& s, ui::Ui& ui) {
  if (LogMissingGhost(s, ui)) return;
  s.GhostScale = GhostScaleFor(s.TrackScale);
  if (raster::Image* image = LineImage(s)) DrawSamples(*image, s, s.LoadedFile());
  ShowLineImage(s, ui);
}

}  // namespace hl::trackfile
