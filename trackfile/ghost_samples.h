#pragma once
// The ghost samples of slot 1's lap and where the ghost step places them:
// shared by the drawing and by the evidence the audit checks, so both see
// the same points.

#include <cstdint>
#include <span>
#include <vector>

#include "record/competition_record.h"
#include "toolkit/files/byte_view.h"

namespace hl::trackfile {

// The samples the ghost step visits (GhostCount + 1 of them), as far as the
// data holds whole samples; empty for a negative count.
std::span<const uint8_t> VisitedGhostSamples(const files::ByteView& file, int64_t ghost_block,
                                             int16_t ghost_count);

float GhostScaleFor(uint8_t track_scale);

// Picture positions of the samples; empty for a scale of 0, which would put
// every sample at infinity.
std::vector<record::GhostPoint> PlaceGhost(std::span<const uint8_t> samples, float scale);

}  // namespace hl::trackfile
