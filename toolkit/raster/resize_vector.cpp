#include "toolkit/raster/resize_vector.h"

#if defined(__SSE2__)

#include <algorithm>
#include <array>

namespace hl::raster::resize {
namespace {

constexpr size_t kBytesPerLoad = 16;

// _mm_madd_epi16 multiplies signed 16-bit values, two pairs a lane.
uint32_t PairOfWeights(uint16_t first, uint16_t second) { return first | uint32_t{second} << 16; }

size_t RoundUp(size_t value, size_t step) { return (value + step - 1) / step * step; }

// 16 bytes of `row` from `at`, zeros where the row ends before.
__m128i LoadBytes(std::span<const uint8_t> row, size_t at) {
  if (at + kBytesPerLoad <= row.size()) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.subspan(at, kBytesPerLoad).data()));
  }
  std::array<uint8_t, kBytesPerLoad> padded{};
  if (at < row.size())
    std::copy(row.begin() + static_cast<std::ptrdiff_t>(at), row.end(), padded.begin());
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(padded.data()));
}

__m128i LoadValues(std::span<const int16_t> row, size_t at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.subspan(at, kVectorValues).data()));
}

void StoreValues(std::span<int16_t> row, size_t at, __m128i values) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(row.subspan(at, kVectorValues).data()), values);
}

// The low 8 bytes of `bytes` into out from `at`, as far as out reaches.
void StoreLowBytes(std::span<uint8_t> out, size_t at, __m128i bytes) {
  constexpr size_t kCount = 8;
  if (at + kCount <= out.size()) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out.subspan(at, kCount).data()), bytes);
    return;
  }
  std::array<uint8_t, kCount> all{};
  _mm_storel_epi64(reinterpret_cast<__m128i*>(all.data()), bytes);
  std::copy_n(all.begin(), out.size() - at, out.begin() + static_cast<std::ptrdiff_t>(at));
}

// Multiplies the pairs (a, b) of each of the eight lanes by (first, second)
// weights and adds the products to the sums of lanes 0-3 and 4-7.
void AddPairProducts(__m128i a, __m128i b, __m128i weights, __m128i& low, __m128i& high) {
  low = _mm_add_epi32(low, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), weights));
  high = _mm_add_epi32(high, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), weights));
}

}  // namespace

std::unique_ptr<RowBlockScaler> RowBlockScaler::For(const RowBand& band, size_t source_row_bytes) {
  if (band.LargestWeight() > kMaxSignedWeight) return nullptr;
  return std::make_unique<RowBlockScaler>(band, source_row_bytes);
}

RowBlockScaler::RowBlockScaler(const RowBand& band, size_t source_row_bytes)
    : band_(band), pairs_((band.Width() + 1) / 2) {
  pair_weights_.reserve(band.Targets() * pairs_);
  for (size_t t = 0; t < band.Targets(); ++t) {
    const std::span<const uint16_t> weights = band.WeightsOf(t);
    for (size_t p = 0; p < pairs_; ++p) {
      const size_t k = 2 * p;
      pair_weights_.push_back(
          PairOfWeights(weights[k], k + 1 < weights.size() ? weights[k + 1] : 0));
    }
  }
  // An odd band's last pair reads one pixel past it (with weight 0), which
  // may be one past the row: zero columns there.
  columns_.resize(RoundUp(source_row_bytes + 3, kBytesPerLoad));
  results_.resize(RoundUp(band.Targets() * 3, kVectorValues), Lanes{_mm_setzero_si128()});
}

void RowBlockScaler::Scale(std::span<const std::span<const uint8_t>> sources,
                           std::span<const std::span<int16_t>> outs) {
  Transpose(sources);
  ScaleColumns();
  TransposeBack(outs);
}

// 16 byte positions of eight rows at a time: three rounds of interleaving
// leave each vector with two positions of all eight rows, which widen to
// 16-bit values.
void RowBlockScaler::Transpose(std::span<const std::span<const uint8_t>> sources) {
  const __m128i zero = _mm_setzero_si128();
  for (size_t at = 0; at < columns_.size(); at += kBytesPerLoad) {
    __m128i r[kRowBlock];
    for (size_t i = 0; i < kRowBlock; ++i) r[i] = LoadBytes(sources[i], at);
    __m128i a[8];
    for (size_t i = 0; i < 4; ++i) {
      a[2 * i] = _mm_unpacklo_epi8(r[2 * i], r[2 * i + 1]);
      a[2 * i + 1] = _mm_unpackhi_epi8(r[2 * i], r[2 * i + 1]);
    }
    // b[i]: rows 0-3 (i < 4) or 4-7 of positions 4 * (i % 4) .. + 3.
    __m128i b[8];
    for (size_t half = 0; half < 2; ++half) {
      const size_t rows = 4 * half;
      b[rows + 0] = _mm_unpacklo_epi16(a[rows + 0], a[rows + 2]);
      b[rows + 1] = _mm_unpackhi_epi16(a[rows + 0], a[rows + 2]);
      b[rows + 2] = _mm_unpacklo_epi16(a[rows + 1], a[rows + 3]);
      b[rows + 3] = _mm_unpackhi_epi16(a[rows + 1], a[rows + 3]);
    }
    for (size_t i = 0; i < 4; ++i) {
      const __m128i first = _mm_unpacklo_epi32(b[i], b[i + 4]);   // positions 4i, 4i + 1
      const __m128i second = _mm_unpackhi_epi32(b[i], b[i + 4]);  // positions 4i + 2, 4i + 3
      columns_[at + 4 * i].v = _mm_unpacklo_epi8(first, zero);
      columns_[at + 4 * i + 1].v = _mm_unpackhi_epi8(first, zero);
      columns_[at + 4 * i + 2].v = _mm_unpacklo_epi8(second, zero);
      columns_[at + 4 * i + 3].v = _mm_unpackhi_epi8(second, zero);
    }
  }
}

// The three channels of a target pixel share its weights. A pair count
// known at compile time (kPairs > 0) lets the pair loop unroll.
template <size_t kPairs>
void RowBlockScaler::ScaleColumnsOf(size_t pairs) {
  if constexpr (kPairs != 0) pairs = kPairs;
  const __m128i half = _mm_set1_epi32(static_cast<int>(kRowPassHalf));
  const __m128i bias = _mm_set1_epi32(kScaledBias);
  for (size_t t = 0; t < band_.Targets(); ++t) {
    const std::span<const uint32_t> weights = std::span(pair_weights_).subspan(t * pairs, pairs);
    const std::span<const Lanes> columns =
        std::span(columns_).subspan(size_t{band_.FirstOf(t)} * 3, 6 * pairs);
    __m128i low[3] = {half, half, half};
    __m128i high[3] = {half, half, half};
    for (size_t p = 0; p < pairs; ++p) {
      const __m128i weight = _mm_set1_epi32(static_cast<int>(weights[p]));
      for (size_t channel = 0; channel < 3; ++channel) {
        const size_t at = 6 * p + channel;
        AddPairProducts(columns[at].v, columns[at + 3].v, weight, low[channel], high[channel]);
      }
    }
    for (size_t channel = 0; channel < 3; ++channel) {
      const __m128i first = _mm_sub_epi32(_mm_srli_epi32(low[channel], kRowPassShift), bias);
      const __m128i second = _mm_sub_epi32(_mm_srli_epi32(high[channel], kRowPassShift), bias);
      results_[t * 3 + channel].v = _mm_packs_epi32(first, second);
    }
  }
}

void RowBlockScaler::ScaleColumns() {
  switch (pairs_) {
    case 1:
      return ScaleColumnsOf<1>(pairs_);
    case 2:
      return ScaleColumnsOf<2>(pairs_);
    case 3:
      return ScaleColumnsOf<3>(pairs_);
    default:
      return ScaleColumnsOf<0>(pairs_);
  }
}

// Eight value positions at a time, transposed back into eight rows.
void RowBlockScaler::TransposeBack(std::span<const std::span<int16_t>> outs) {
  for (size_t at = 0; at < results_.size(); at += kVectorValues) {
    const std::span<const Lanes> v = std::span(results_).subspan(at, kVectorValues);
    __m128i a[8];
    for (size_t i = 0; i < 4; ++i) {
      a[2 * i] = _mm_unpacklo_epi16(v[2 * i].v, v[2 * i + 1].v);      // rows 0-3
      a[2 * i + 1] = _mm_unpackhi_epi16(v[2 * i].v, v[2 * i + 1].v);  // rows 4-7
    }
    // b[i]: positions 0-3 (i < 4) or 4-7, rows 2 (i % 4) and 2 (i % 4) + 1.
    __m128i b[8];
    for (size_t half = 0; half < 2; ++half) {
      const size_t from = 4 * half;
      b[from + 0] = _mm_unpacklo_epi32(a[from + 0], a[from + 2]);
      b[from + 1] = _mm_unpackhi_epi32(a[from + 0], a[from + 2]);
      b[from + 2] = _mm_unpacklo_epi32(a[from + 1], a[from + 3]);
      b[from + 3] = _mm_unpackhi_epi32(a[from + 1], a[from + 3]);
    }
    for (size_t i = 0; i < 4; ++i) {
      StoreValues(outs[2 * i], at, _mm_unpacklo_epi64(b[i], b[i + 4]));
      StoreValues(outs[2 * i + 1], at, _mm_unpackhi_epi64(b[i], b[i + 4]));
    }
  }
}

namespace {

// Two tap rows (a, b) with their weights over the whole row: the first pair
// starts the sums, the last one turns them into bytes; sums in between are
// kept in `sums` (eight values = two vectors of four).
template <bool kFirst, bool kLast>
void AddTapPair(std::span<const int16_t> a, std::span<const int16_t> b, uint32_t weights,
                std::span<uint32_t> sums, std::span<uint8_t> out) {
  // The bias of every scaled value comes back as the weights' sum (exactly
  // kWeightOne) times kScaledBias; the rounding half is added with it.
  const __m128i start =
      _mm_set1_epi32(static_cast<int>(kWeightOne * kScaledBias + kColumnPassHalf));
  const __m128i weight = _mm_set1_epi32(static_cast<int>(weights));
  for (size_t at = 0; at < out.size(); at += kVectorValues) {
    const std::span<uint32_t> kept = sums.subspan(at, kVectorValues);
    __m128i low = kFirst ? start : _mm_loadu_si128(reinterpret_cast<const __m128i*>(kept.data()));
    __m128i high =
        kFirst ? start : _mm_loadu_si128(reinterpret_cast<const __m128i*>(kept.subspan(4).data()));
    AddPairProducts(LoadValues(a, at), LoadValues(b, at), weight, low, high);
    if constexpr (kLast) {
      const __m128i values = _mm_packs_epi32(_mm_srli_epi32(low, kColumnPassShift),
                                             _mm_srli_epi32(high, kColumnPassShift));
      StoreLowBytes(out, at, _mm_packus_epi16(values, values));
    } else {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(kept.data()), low);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(kept.subspan(4).data()), high);
    }
  }
}

}  // namespace

bool ScaleColumnVector(std::span<const Tap> taps, std::span<const std::span<const int16_t>> rows,
                       std::span<uint32_t> sums, std::span<uint8_t> out) {
  for (const Tap& tap : taps) {
    if (tap.weight > kMaxSignedWeight) return false;
  }
  const size_t pairs = (taps.size() + 1) / 2;
  for (size_t p = 0; p < pairs; ++p) {
    const size_t t = 2 * p;
    // An odd last tap pairs with itself at weight 0.
    const bool pair = t + 1 < taps.size();
    const std::span<const int16_t> a = rows[t];
    const std::span<const int16_t> b = pair ? rows[t + 1] : a;
    const uint32_t weights = PairOfWeights(taps[t].weight, pair ? taps[t + 1].weight : 0);
    const bool first = p == 0;
    const bool last = p + 1 == pairs;
    if (first && last) {
      AddTapPair<true, true>(a, b, weights, sums, out);
    } else if (first) {
      AddTapPair<true, false>(a, b, weights, sums, out);
    } else if (last) {
      AddTapPair<false, true>(a, b, weights, sums, out);
    } else {
      AddTapPair<false, false>(a, b, weights, sums, out);
    }
  }
  return true;
}

}  // namespace hl::raster::resize

#endif
