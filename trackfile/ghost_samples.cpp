#include "trackfile/ghost_samples.h"

#include <cmath>

#include "trackfile/line_image.h"
#include "trackfile/track_layout.h"

namespace hl::trackfile {
namespace {

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

}  // namespace

std::span<const uint8_t> VisitedGhostSamples(const files::ByteView& file, int64_t ghost_block,
                                             int16_t ghost_count) {
  const int64_t first = ghost_block + 2;
  // The file does not tell whether the sample after the last counted one
  // belongs to the ghost; it is visited when the data holds it.
  const int64_t visited = static_cast<int64_t>(ghost_count) + 1;
  const int64_t count = layout::RecordsInside(file, first, layout::kGhostSampleSize, visited);
  return file.Slice(first, count * layout::kGhostSampleSize).value_or(std::span<const uint8_t>());
}

float GhostScaleFor(uint8_t track_scale) {
  return static_cast<float>(track_scale) * 29.5f / 100.0f;
}

std::vector<record::GhostPoint> PlaceGhost(std::span<const uint8_t> samples, float scale) {
  std::vector<record::GhostPoint> points;
  if (scale <= 0.0f) return points;
  points.reserve(samples.size() / layout::kGhostSampleSize);
  for (size_t at = 0; at + layout::kGhostSampleSize <= samples.size();
       at += layout::kGhostSampleSize) {
    points.push_back(
        {ToPixel(U16At(samples, at), scale), kTrackEdge - ToPixel(U16At(samples, at + 4), scale)});
  }
  return points;
}

}  // namespace hl::trackfile
