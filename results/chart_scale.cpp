#include "results/chart_scale.h"

namespace hl::results {

// Worked in 64 bits and wrapped back, so a wild penalty time near the ends
// of the 32-bit range cannot overflow.
int32_t RoundScaleMin(int32_t fastest) {
  const int64_t second = int64_t{fastest} / 100 * 100;
  const int64_t rounded = (fastest - second < 10) ? second - 50 : second;
  return static_cast<int32_t>(rounded);
}

int32_t RoundScaleMax(int32_t slowest) {
  return static_cast<int32_t>(int64_t{slowest} / 100 * 100 + 100);
}

int64_t ScaleMiddle(int32_t min, int32_t max) { return (int64_t{max} - min) / 2 + min; }

}  // namespace hl::results
