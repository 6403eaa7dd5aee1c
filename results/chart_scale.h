#pragma once
// The time scale of the chart, in hundredths of a second. The Google export
// reuses it, so both pictures share their axis.

#include <cstdint>

namespace hl::results {

// Down to the full second, and half a second further when the fastest time
// sits less than a tenth above it, so its bar never starts at zero length.
int32_t RoundScaleMin(int32_t fastest);
// Up past the next full second.
int32_t RoundScaleMax(int32_t slowest);
// The value of the middle scale mark.
int64_t ScaleMiddle(int32_t min, int32_t max);

}  // namespace hl::results
