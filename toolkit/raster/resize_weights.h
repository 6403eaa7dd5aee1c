#pragma once
// The weights of area-averaging: a target pixel's weight for a source pixel
// is the share of the target's area that the source pixel covers, in fixed
// point so that the passes need only shifts, no divisions.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace hl::raster::resize {

// The weights of one target pixel add up to exactly 1 << kWeightBits, so a
// flat colour stays exactly flat. With 15 bits every weight fits into 16
// bits and the sums of both passes into 32.
inline constexpr int kWeightBits = 15;
inline constexpr uint32_t kWeightOne = 1u << kWeightBits;
// The row pass keeps 8 fractional bits so that the result is rounded once.
inline constexpr int kRowPassShift = kWeightBits - 8;
inline constexpr int kColumnPassShift = kWeightBits + 8;
inline constexpr uint32_t kRowPassHalf = 1u << (kRowPassShift - 1);
inline constexpr uint32_t kColumnPassHalf = 1u << (kColumnPassShift - 1);
// Row pass results (0 .. 255 * 256) are stored minus this, as signed 16-bit
// values, which the vector code can multiply as they are.
inline constexpr int32_t kScaledBias = 32768;
// The largest weight a signed 16-bit multiply takes. Only a target that
// lies within a single source pixel (enlarging) has a weight above it.
inline constexpr uint32_t kMaxSignedWeight = 32767;

struct Tap {
  uint32_t source;
  uint16_t weight;
};

// For each target position along one axis, the source positions it covers,
// in increasing order, without zero weights.
class AxisWeights {
 public:
  AxisWeights(int source_size, int target_size);

  int Targets() const { return static_cast<int>(starts_.size()) - 1; }
  std::span<const Tap> TapsOf(int target) const;
  uint16_t LargestWeight() const { return largest_; }

 private:
  std::vector<size_t> starts_;
  std::vector<Tap> taps_;
  uint16_t largest_ = 0;
};

// The row pass's weights as a band: every target pixel reads the same
// number of neighbouring source pixels from its own first one, with zero
// weights where it covers fewer. A fixed count lets the inner loops run
// without looking up where each target's taps end.
class RowBand {
 public:
  RowBand(const AxisWeights& axis, int source_size);

  size_t Targets() const { return firsts_.size(); }
  uint32_t Width() const { return width_; }
  uint32_t FirstOf(size_t target) const { return firsts_[target]; }
  std::span<const uint16_t> WeightsOf(size_t target) const {
    return std::span(weights_).subspan(target * width_, width_);
  }
  uint16_t LargestWeight() const { return largest_; }

 private:
  uint32_t width_ = 1;
  uint16_t largest_ = 0;
  std::vector<uint32_t> firsts_;
  std::vector<uint16_t> weights_;
};

}  // namespace hl::raster::resize
