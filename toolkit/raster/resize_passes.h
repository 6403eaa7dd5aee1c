#pragma once
// The two passes of smooth scaling. The row pass scales source rows to the
// target width into "scaled rows": three values a pixel, 256 times the
// channel, stored minus kScaledBias. The column pass averages scaled rows
// into a target row.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "toolkit/raster/image.h"
#include "toolkit/raster/resize_vector.h"
#include "toolkit/raster/resize_weights.h"

namespace hl::raster::resize {

class RowPass {
 public:
  RowPass(const Image& source, const AxisWeights& columns);
  ~RowPass();
  RowPass(const RowPass&) = delete;
  RowPass& operator=(const RowPass&) = delete;

  // Values a scaled row holds: three a target pixel, padded to whole vectors.
  size_t Stride() const { return stride_; }
  // Scales source rows first .. first + outs.size() - 1 (at most kRowBlock)
  // into outs, each Stride() long.
  void Scale(int first, std::span<const std::span<int16_t>> outs);

 private:
  const Image& source_;
  RowBand band_;
  size_t stride_;
  std::unique_ptr<RowBlockScaler> blocks_;  // null where the vector code does not apply
};

// One target row from the scaled rows its taps name (rows[i] for taps[i],
// each Stride() long). `sums` is scratch of Stride() values.
void ScaleColumn(std::span<const Tap> taps, std::span<const std::span<const int16_t>> rows,
                 std::span<uint32_t> sums, std::span<uint8_t> out);

}  // namespace hl::raster::resize
