// Area-averaging scaler in two separable passes: rows to the new width,
// then columns to the new height. A source row is scaled just before the
// column pass first needs it, into a small ring of scaled rows, so the
// scaler touches only a few rows' worth of memory besides the two images.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "toolkit/raster/resize.h"
#include "toolkit/raster/resize_passes.h"

namespace hl::raster {
namespace {

using resize::AxisWeights;
using resize::kRowBlock;
using resize::Tap;

class ScaledRows {
 public:
  ScaledRows(const Image& source, const AxisWeights& columns, const AxisWeights& rows)
      : height_(static_cast<uint32_t>(source.Height())), pass_(source, columns) {
    // The ring holds every row from the earliest one a target row still
    // needs to the furthest one scaled so far, which a block of rows may
    // put up to kRowBlock - 1 rows past the furthest one asked for.
    uint32_t furthest = 0;
    size_t reach = 1;
    for (int t = 0; t < rows.Targets(); ++t) {
      const std::span<const Tap> taps = rows.TapsOf(t);
      furthest = std::max(furthest, taps.back().source);
      reach = std::max<size_t>(reach, furthest - taps.front().source + 1);
    }
    ring_rows_ = reach + kRowBlock - 1;
    ring_.resize(ring_rows_ * pass_.Stride());
  }

  size_t Stride() const { return pass_.Stride(); }

  std::span<const int16_t> Get(uint32_t source_row) {
    while (next_ <= source_row) {
      const size_t count = std::min<size_t>(kRowBlock, height_ - next_);
      std::array<std::span<int16_t>, kRowBlock> outs;
      for (size_t i = 0; i < count; ++i) outs[i] = Slot(next_ + static_cast<uint32_t>(i));
      pass_.Scale(static_cast<int>(next_), std::span(outs).first(count));
      next_ += static_cast<uint32_t>(count);
    }
    return Slot(source_row);
  }

 private:
  std::span<int16_t> Slot(uint32_t source_row) {
    return std::span(ring_).subspan(source_row % ring_rows_ * pass_.Stride(), pass_.Stride());
  }

  uint32_t height_;
  resize::RowPass pass_;
  size_t ring_rows_ = 1;
  uint32_t next_ = 0;
  std::vector<int16_t> ring_;
};

bool SameTap(const Tap& a, const Tap& b) { return a.source == b.source && a.weight == b.weight; }

void Scale(const Image& source, Image& target) {
  const AxisWeights columns(source.Width(), target.Width());
  const AxisWeights rows(source.Height(), target.Height());
  ScaledRows scaled(source, columns, rows);
  std::vector<uint32_t> sums(scaled.Stride());
  std::vector<std::span<const int16_t>> tap_rows;
  for (int y = 0; y < target.Height(); ++y) {
    const std::span<const Tap> taps = rows.TapsOf(y);
    // Enlarging puts several target rows within one source row: each is the
    // same sum of the same scaled row, so it is the row above again.
    if (y > 0 && std::ranges::equal(taps, rows.TapsOf(y - 1), SameTap)) {
      std::ranges::copy(std::as_const(target).Row(y - 1), target.Row(y).begin());
      continue;
    }
    tap_rows.clear();
    for (const Tap& tap : taps) tap_rows.push_back(scaled.Get(tap.source));
    resize::ScaleColumn(taps, tap_rows, sums, target.Row(y));
  }
}

}  // namespace

std::optional<Image> ResizeSmooth(const Image& source, int width, int height) {
  if (width < 1 || height < 1 || width > Image::kMaxSide || height > Image::kMaxSide) {
    return std::nullopt;
  }
  if (width == source.Width() && height == source.Height()) return source;
  std::optional<Image> target = Image::Create(width, height);
  if (!target) return std::nullopt;
  try {
    Scale(source, *target);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  return target;
}

}  // namespace hl::raster
