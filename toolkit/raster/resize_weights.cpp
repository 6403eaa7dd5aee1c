#include "toolkit/raster/resize_weights.h"

#include <algorithm>

namespace hl::raster::resize {

AxisWeights::AxisWeights(int source_size, int target_size) {
  starts_.reserve(static_cast<size_t>(target_size) + 1);
  const int64_t s_len = source_size;
  const int64_t t_len = target_size;
  // Target t covers [t * s_len, (t + 1) * s_len) in units where source
  // pixel s covers [s * t_len, (s + 1) * t_len).
  for (int64_t t = 0; t < t_len; ++t) {
    starts_.push_back(taps_.size());
    const int64_t lo = t * s_len;
    const int64_t hi = lo + s_len;
    int64_t covered = 0;
    int64_t previous = 0;
    for (int64_t s = lo / t_len; s * t_len < hi; ++s) {
      covered += std::min(hi, (s + 1) * t_len) - std::max(lo, s * t_len);
      // Rounding the running total, not each share, keeps the sum exact.
      const int64_t running = (covered * kWeightOne + s_len / 2) / s_len;
      if (running > previous) {
        const auto weight = static_cast<uint16_t>(running - previous);
        taps_.push_back({static_cast<uint32_t>(s), weight});
        largest_ = std::max(largest_, weight);
      }
      previous = running;
    }
  }
  starts_.push_back(taps_.size());
}

std::span<const Tap> AxisWeights::TapsOf(int target) const {
  const size_t t = static_cast<size_t>(target);
  return std::span(taps_).subspan(starts_[t], starts_[t + 1] - starts_[t]);
}

RowBand::RowBand(const AxisWeights& axis, int source_size) : largest_(axis.LargestWeight()) {
  for (int t = 0; t < axis.Targets(); ++t) {
    const std::span<const Tap> taps = axis.TapsOf(t);
    width_ = std::max(width_, taps.back().source - taps.front().source + 1);
  }
  const uint32_t last_first = static_cast<uint32_t>(source_size) - width_;
  weights_.assign(static_cast<size_t>(axis.Targets()) * width_, 0);
  for (int t = 0; t < axis.Targets(); ++t) {
    const std::span<const Tap> taps = axis.TapsOf(t);
    // Moved left where the band would reach past the last source pixel.
    const uint32_t first = std::min(taps.front().source, last_first);
    firsts_.push_back(first);
    for (const Tap& tap : taps) {
      weights_[static_cast<size_t>(t) * width_ + tap.source - first] = tap.weight;
    }
  }
}

}  // namespace hl::raster::resize
