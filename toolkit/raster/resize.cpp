// Area-averaging scaler in two separable passes (rows, then columns) with
// precomputed weights: a target pixel's weight for a source pixel is the
// share of the target's area that the source pixel covers, in fixed point so
// the passes need only shifts, no divisions.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "toolkit/raster/resize.h"

namespace hl::raster {
namespace {

// The weights of one target pixel add up to exactly 1 << kWeightBits, so a
// flat colour stays exactly flat. With 15 bits the sums of both passes fit
// into 32 bits.
constexpr int kWeightBits = 15;
constexpr uint32_t kWeightOne = 1u << kWeightBits;
// The first pass keeps 8 fractional bits so that the result is rounded once.
constexpr int kFirstPassShift = kWeightBits - 8;
constexpr int kSecondPassShift = kWeightBits + 8;

struct Tap {
  uint32_t source;
  uint32_t weight;
};

// For each target position along one axis, the source positions it covers.
class AxisWeights {
 public:
  AxisWeights(int source_size, int target_size) {
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
          taps_.push_back({static_cast<uint32_t>(s), static_cast<uint32_t>(running - previous)});
        }
        previous = running;
      }
    }
    starts_.push_back(taps_.size());
  }

  std::span<const Tap> TapsOf(int target) const {
    const size_t t = static_cast<size_t>(target);
    return std::span(taps_).subspan(starts_[t], starts_[t + 1] - starts_[t]);
  }

 private:
  std::vector<size_t> starts_;
  std::vector<Tap> taps_;
};

// Rows scaled to the new width; values times 256.
std::vector<uint16_t> ScaleRows(const Image& source, const AxisWeights& columns, int width) {
  const size_t source_row = static_cast<size_t>(source.Width()) * 3;
  const size_t target_row = static_cast<size_t>(width) * 3;
  const std::vector<uint8_t>& pixels = source.Pixels();
  std::vector<uint16_t> scaled(target_row * static_cast<size_t>(source.Height()));
  for (size_t y = 0; y < static_cast<size_t>(source.Height()); ++y) {
    const size_t row = y * source_row;
    size_t out = y * target_row;
    for (int x = 0; x < width; ++x) {
      uint32_t red = 0;
      uint32_t green = 0;
      uint32_t blue = 0;
      for (const Tap& tap : columns.TapsOf(x)) {
        const size_t at = row + tap.source * 3;
        red += tap.weight * pixels[at];
        green += tap.weight * pixels[at + 1];
        blue += tap.weight * pixels[at + 2];
      }
      constexpr uint32_t kHalf = 1u << (kFirstPassShift - 1);
      scaled[out++] = static_cast<uint16_t>((red + kHalf) >> kFirstPassShift);
      scaled[out++] = static_cast<uint16_t>((green + kHalf) >> kFirstPassShift);
      scaled[out++] = static_cast<uint16_t>((blue + kHalf) >> kFirstPassShift);
    }
  }
  return scaled;
}

void ScaleColumns(const std::vector<uint16_t>& rows, const AxisWeights& weights, Image& target) {
  const size_t row_size = static_cast<size_t>(target.Width()) * 3;
  std::vector<uint32_t> sum(row_size);
  std::vector<uint8_t>& pixels = target.Pixels();
  for (int y = 0; y < target.Height(); ++y) {
    std::fill(sum.begin(), sum.end(), 0);
    for (const Tap& tap : weights.TapsOf(y)) {
      const size_t from = tap.source * row_size;
      for (size_t i = 0; i < row_size; ++i) sum[i] += tap.weight * rows[from + i];
    }
    constexpr uint32_t kHalf = 1u << (kSecondPassShift - 1);
    const size_t to = static_cast<size_t>(y) * row_size;
    for (size_t i = 0; i < row_size; ++i) {
      pixels[to + i] = static_cast<uint8_t>((sum[i] + kHalf) >> kSecondPassShift);
    }
  }
}

}  // namespace

std::optional<Image> TryResizeSmooth(const Image& source, int width, int height) {
  if (width < 1 || height < 1 || width > Image::kMaxSide || height > Image::kMaxSide) {
    return std::nullopt;
  }
  if (width == source.Width() && height == source.Height()) return source;
  std::optional<Image> target = Image::Create(width, height);
  if (!target) return std::nullopt;
  try {
    const AxisWeights columns(source.Width(), width);
    const AxisWeights rows(source.Height(), height);
    ScaleColumns(ScaleRows(source, columns, width), rows, *target);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  return target;
}

Image ResizeSmooth(const Image& source, int width, int height) {
  const int clamped_width = std::clamp(width, 1, Image::kMaxSide);
  const int clamped_height = std::clamp(height, 1, Image::kMaxSide);
  std::optional<Image> target = TryResizeSmooth(source, clamped_width, clamped_height);
  if (!target) throw std::bad_alloc();
  return std::move(*target);
}

}  // namespace hl::raster
