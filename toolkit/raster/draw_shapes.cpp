// Pixels, boxes and lines, clipped to the target image.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "toolkit/raster/draw.h"

namespace hl::raster {
namespace {

// One straight line as a sequence of steps along its longer (major) axis.
// The minor coordinate at step i is the exact offset rounded half up, so it
// grows by at most one per step: the pixels form an eight-connected chain
// from the first to the last point. The closed form gives the position at
// any step, so a line reaching far outside the image is cut to the steps
// within the image's extent along the major axis: no line costs more than
// one image side of steps.
class LinePath {
 public:
  LinePath(int x1, int y1, int64_t x2, int64_t y2) {
    const int64_t dx = x2 - x1;
    const int64_t dy = y2 - y1;
    x_major_ = std::llabs(dx) >= std::llabs(dy);
    major_start_ = x_major_ ? x1 : y1;
    minor_start_ = x_major_ ? y1 : x1;
    const int64_t major_delta = x_major_ ? dx : dy;
    const int64_t minor_delta = x_major_ ? dy : dx;
    major_sign_ = major_delta < 0 ? -1 : 1;
    minor_sign_ = minor_delta < 0 ? -1 : 1;
    steps_ = std::llabs(major_delta);
    minor_span_ = std::llabs(minor_delta);
  }

  int64_t Steps() const { return steps_; }  // the last point is at step Steps()

  // Calls plot(x, y) for the steps first .. last that fall inside a
  // width x height raster.
  template <typename PlotFn>
  void ForVisibleSteps(int64_t first, int64_t last, int width, int height, PlotFn plot) const {
    const int major_size = x_major_ ? width : height;
    const int minor_size = x_major_ ? height : width;
    ClipMajor(major_size, first, last);
    if (first > last) return;
    MinorStepper minor = MinorAt(first);
    for (int64_t i = first; i <= last; ++i, minor.Advance()) {
      const int64_t major = Major(i);
      const int64_t at = minor_start_ + minor_sign_ * minor.offset;
      if (at < 0 || at >= minor_size) continue;
      if (x_major_) {
        plot(static_cast<int>(major), static_cast<int>(at));
      } else {
        plot(static_cast<int>(at), static_cast<int>(major));
      }
    }
  }

 private:
  // The minor offset at step i, floor((2 * i * span + steps) / (2 * steps)),
  // as quotient and remainder. Only the first visible step divides; each
  // further step adds 2 * span (at most the divisor) to the dividend, so
  // the quotient grows by at most one and follows exactly.
  struct MinorStepper {
    int64_t offset;
    int64_t remainder;
    int64_t increment;
    int64_t divisor;

    void Advance() {
      remainder += increment;
      if (remainder >= divisor) {
        remainder -= divisor;
        ++offset;
      }
    }
  };

  MinorStepper MinorAt(int64_t i) const {
    if (steps_ == 0) return {0, 0, 0, 1};
    const __int128 dividend = 2 * static_cast<__int128>(i) * minor_span_ + steps_;
    const __int128 divisor = 2 * static_cast<__int128>(steps_);
    return {static_cast<int64_t>(dividend / divisor), static_cast<int64_t>(dividend % divisor),
            2 * minor_span_, static_cast<int64_t>(divisor)};
  }

  int64_t Major(int64_t i) const { return major_start_ + major_sign_ * i; }

  // Steps whose major coordinate lies in 0 .. size - 1.
  void ClipMajor(int size, int64_t& first, int64_t& last) const {
    const int64_t lo = major_sign_ > 0 ? -major_start_ : major_start_ - (size - 1);
    const int64_t hi = major_sign_ > 0 ? size - 1 - major_start_ : major_start_;
    first = std::max(first, lo);
    last = std::min(last, hi);
  }

  bool x_major_ = true;
  int64_t major_start_ = 0;
  int64_t minor_start_ = 0;
  int64_t major_sign_ = 1;
  int64_t minor_sign_ = 1;
  int64_t steps_ = 0;
  int64_t minor_span_ = 0;
};

void DrawPath(Image& image, const LinePath& path, int64_t last_step, Color color) {
  path.ForVisibleSteps(0, last_step, image.Width(), image.Height(),
                       [&](int x, int y) { image.Set(x, y, color); });
}

}  // namespace

void Plot(Image& image, int x, int y, Color color) {
  if (image.Inside(x, y)) image.Set(x, y, color);
}

void Box(Image& image, int x, int y, int width, int height, Color color) {
  if (width <= 0 || height <= 0) return;
  const int64_t left = std::max<int64_t>(x, 0);
  const int64_t top = std::max<int64_t>(y, 0);
  const int64_t right = std::min<int64_t>(int64_t{x} + width, image.Width());
  const int64_t bottom = std::min<int64_t>(int64_t{y} + height, image.Height());
  if (left >= right || top >= bottom) return;
  const auto x0 = static_cast<int>(left);
  const auto count = static_cast<int>(right - left);
  image.FillRun(x0, static_cast<int>(top), count, color);
  // Wide boxes copy their first row, narrow ones (dots) paint each row.
  constexpr int kCopiedFrom = 16;
  const std::span<const uint8_t> first =
      image.Row(static_cast<int>(top)).subspan(size_t{3} * x0, size_t{3} * count);
  for (int64_t row = top + 1; row < bottom; ++row) {
    if (count < kCopiedFrom) {
      image.FillRun(x0, static_cast<int>(row), count, color);
    } else {
      std::copy(first.begin(), first.end(), image.Row(static_cast<int>(row)).begin() + 3 * x0);
    }
  }
}

void Line(Image& image, int x1, int y1, int x2, int y2, Color color) {
  const LinePath path(x1, y1, x2, y2);
  DrawPath(image, path, path.Steps(), color);
}

void LineBy(Image& image, int x, int y, int dx, int dy, Color color) {
  const LinePath path(x, y, int64_t{x} + dx, int64_t{y} + dy);
  DrawPath(image, path, path.Steps() - 1, color);
}

}  // namespace hl::raster
