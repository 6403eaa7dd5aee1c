#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "toolkit/raster/resize_passes.h"
#include "toolkit/raster/resize_vector.h"

namespace hl::raster::resize {
namespace {

// One source row, pixel by pixel. A band width known at compile time lets
// the tap loop unroll.
template <uint32_t kWidth>
void ScaleRowBand(std::span<const uint8_t> source, const RowBand& band, std::span<int16_t> out) {
  const uint32_t width = kWidth != 0 ? kWidth : band.Width();
  for (size_t x = 0; x < band.Targets(); ++x) {
    const std::span<const uint8_t> pixels = source.subspan(size_t{band.FirstOf(x)} * 3, width * 3);
    const std::span<const uint16_t> weights = band.WeightsOf(x);
    uint32_t red = kRowPassHalf;
    uint32_t green = kRowPassHalf;
    uint32_t blue = kRowPassHalf;
    for (uint32_t k = 0; k < width; ++k) {
      const uint32_t weight = weights[k];
      red += weight * pixels[k * 3];
      green += weight * pixels[k * 3 + 1];
      blue += weight * pixels[k * 3 + 2];
    }
    out[x * 3] = static_cast<int16_t>(static_cast<int32_t>(red >> kRowPassShift) - kScaledBias);
    out[x * 3 + 1] =
        static_cast<int16_t>(static_cast<int32_t>(green >> kRowPassShift) - kScaledBias);
    out[x * 3 + 2] =
        static_cast<int16_t>(static_cast<int32_t>(blue >> kRowPassShift) - kScaledBias);
  }
}

void ScaleRow(std::span<const uint8_t> source, const RowBand& band, std::span<int16_t> out) {
  switch (band.Width()) {
    case 1:
      return ScaleRowBand<1>(source, band, out);
    case 2:
      return ScaleRowBand<2>(source, band, out);
    case 3:
      return ScaleRowBand<3>(source, band, out);
    case 4:
      return ScaleRowBand<4>(source, band, out);
    default:
      return ScaleRowBand<0>(source, band, out);
  }
}

}  // namespace

RowPass::RowPass(const Image& source, const AxisWeights& columns)
    : source_(source),
      band_(columns, source.Width()),
      stride_((band_.Targets() * 3 + kVectorValues - 1) / kVectorValues * kVectorValues),
      blocks_(RowBlockScaler::For(band_, source.Row(0).size())) {}

RowPass::~RowPass() = default;

void RowPass::Scale(int first, std::span<const std::span<int16_t>> outs) {
  if (blocks_ && outs.size() == kRowBlock) {
    std::array<std::span<const uint8_t>, kRowBlock> sources;
    for (size_t i = 0; i < kRowBlock; ++i) sources[i] = source_.Row(first + static_cast<int>(i));
    blocks_->Scale(sources, outs);
    return;
  }
  for (size_t i = 0; i < outs.size(); ++i)
    ScaleRow(source_.Row(first + static_cast<int>(i)), band_, outs[i]);
}

}  // namespace hl::raster::resize
