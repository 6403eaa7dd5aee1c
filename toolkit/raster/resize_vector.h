#pragma once
// Vector code for both passes of smooth scaling on x86 (SSE2, which every
// x86-64 processor has). It computes exactly what the portable loops do:
// the same products, sums and roundings, so the same pixels. Elsewhere the
// portable loops do all the work.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "toolkit/raster/resize_weights.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace hl::raster::resize {

// Values a vector holds; scaled rows are padded to a multiple of it.
inline constexpr size_t kVectorValues = 8;
// Rows the row pass scales together where it can: one a 16-bit lane.
inline constexpr size_t kRowBlock = 8;

#if defined(__SSE2__)

// One vector; wrapped so that containers of it keep its alignment without
// the compiler dropping the vector type's attributes.
struct Lanes {
  __m128i v;
};

// Scales eight source rows at once. Their bytes are turned into columns
// first (one vector holds one byte position of all eight rows), so every
// multiply works on eight rows with one weight, and two taps at a time.
class RowBlockScaler {
 public:
  // Null when a weight is too large for the signed 16-bit multiply.
  static std::unique_ptr<RowBlockScaler> For(const RowBand& band, size_t source_row_bytes);

  RowBlockScaler(const RowBand& band, size_t source_row_bytes);
  void Scale(std::span<const std::span<const uint8_t>> sources,
             std::span<const std::span<int16_t>> outs);

 private:
  void Transpose(std::span<const std::span<const uint8_t>> sources);
  void ScaleColumns();
  template <size_t kPairs>
  void ScaleColumnsOf(size_t pairs);
  void TransposeBack(std::span<const std::span<int16_t>> outs);

  const RowBand& band_;
  size_t pairs_;                        // pairs of taps a target pixel reads
  std::vector<uint32_t> pair_weights_;  // per target pixel and pair: two signed 16-bit weights
  std::vector<Lanes> columns_;          // source byte position -> eight rows
  std::vector<Lanes> results_;          // scaled value position -> eight rows
};

// False, and nothing written, when a weight is too large for the signed
// 16-bit multiply. Rows and `sums` reach out.size() rounded up to whole
// vectors.
bool ScaleColumnVector(std::span<const Tap> taps, std::span<const std::span<const int16_t>> rows,
                       std::span<uint32_t> sums, std::span<uint8_t> out);

#else

class RowBlockScaler {
 public:
  static std::unique_ptr<RowBlockScaler> For(const RowBand&, size_t) { return nullptr; }
  void Scale(std::span<const std::span<const uint8_t>>, std::span<const std::span<int16_t>>) {}
};

inline bool ScaleColumnVector(std::span<const Tap>, std::span<const std::span<const int16_t>>,
                              std::span<uint32_t>, std::span<uint8_t>) {
  return false;
}

#endif

}  // namespace hl::raster::resize
