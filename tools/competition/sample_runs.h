#pragma once
// Run-length coding of the sample map the way the game stores it: bottom row
// first, each row left to right, runs of one colour of at most 4095 pixels
// that carry on into the next row up.

#include <cstdint>
#include <vector>

#include "tools/competition/track_file_writer.h"

namespace hl::competition {

// Fewer runs than this cannot always be reached by merging neighbours.
constexpr int kMinRunTarget = 256;
constexpr int kMaxRunTarget = 512 * 512;

// `map` holds 512 x 512 colour indices, rows top to bottom. With a target of
// 0 the coding is the natural one; otherwise it has exactly `target` runs:
// short runs are absorbed by their left neighbours (the picture loses fine
// detail) or long runs are split (the picture is unchanged).
std::vector<RunPair> EncodeMapRuns(const std::vector<uint8_t>& map, int target);

}  // namespace hl::competition
