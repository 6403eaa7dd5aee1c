#include <cstddef>
#include <cstdint>
#include <span>

#include "toolkit/raster/resize_passes.h"
#include "toolkit/raster/resize_vector.h"

namespace hl::raster::resize {
namespace {

uint32_t Unbiased(int16_t value) { return static_cast<uint32_t>(value + kScaledBias); }

}  // namespace

// The portable loops are plain loops over whole rows, which a compiler can
// vectorise as well. The first tap starts the sums (or, alone, makes the
// output), the last one ends them.
void ScaleColumn(std::span<const Tap> taps, std::span<const std::span<const int16_t>> rows,
                 std::span<uint32_t> sums, std::span<uint8_t> out) {
  if (ScaleColumnVector(taps, rows, sums, out)) return;
  const uint32_t first_weight = taps.front().weight;
  const std::span<const int16_t> first = rows.front();
  if (taps.size() == 1) {
    for (size_t i = 0; i < out.size(); ++i) {
      const uint32_t sum = first_weight * Unbiased(first[i]) + kColumnPassHalf;
      out[i] = static_cast<uint8_t>(sum >> kColumnPassShift);
    }
    return;
  }
  for (size_t i = 0; i < out.size(); ++i)
    sums[i] = first_weight * Unbiased(first[i]) + kColumnPassHalf;
  for (size_t t = 1; t + 1 < taps.size(); ++t) {
    const uint32_t weight = taps[t].weight;
    const std::span<const int16_t> row = rows[t];
    for (size_t i = 0; i < out.size(); ++i) sums[i] += weight * Unbiased(row[i]);
  }
  const uint32_t last_weight = taps.back().weight;
  const std::span<const int16_t> last = rows.back();
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<uint8_t>((sums[i] + last_weight * Unbiased(last[i])) >> kColumnPassShift);
  }
}

}  // namespace hl::raster::resize
