#pragma once
// What lies on and beside the sample circuit: the track objects and the
// ghost of a lap, both in the game's own units.

#include <cstdint>
#include <vector>

#include "tools/competition/sample_course.h"
#include "tools/competition/track_file_writer.h"

namespace hl::competition {

// `count` objects spread along the lap, `rectangles` of them grandstands
// (types 17 and 18) beside the road; the rest cones (10) on the road's
// edges, tyre stacks (9) beyond the verges and some kinds the evaluation
// does not draw. `scale` is the track scale, which sizes the grandstands.
std::vector<TrackObject> PlaceObjects(const SampleCourse& course, int count, int rectangles,
                                      uint8_t scale);

// `count` positions of one lap from the start line, weaving inside the road
// by a line that `driver_seed` chooses. Game units are
// scale * 29.5 / 100 per map pixel, y counted upward.
std::vector<GhostSample> DriveGhost(const SampleCourse& course, int count, uint32_t driver_seed,
                                    uint8_t scale);

}  // namespace hl::competition
