// Pixels, boxes and lines, clipped to the target image.

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "toolkit/raster/draw.h"

namespace hl::raster {
namespace {

// One straight line as a sequence of steps along its longer (major) axis.
// The minor coordinate at step i is the exact offset rounded half up, so it
// grows by at most one per step: the pixels form an eight-connected chain
// from the first to the last point. Working with a closed form instead of
// an incremental error term lets a line reaching far outside the image be
// cut to the steps within the image's extent along the major axis, so no
// line costs more than one image side of steps.
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
    for (int64_t i = first; i <= last; ++i) {
      const int64_t major = Major(i);
      const int64_t minor = Minor(i);
      if (major < 0 || minor < 0 || major >= major_size || minor >= minor_size) continue;
      if (x_major_) {
        plot(static_cast<int>(major), static_cast<int>(minor));
      } else {
        plot(static_cast<int>(minor), static_cast<int>(major));
      }
    }
  }

 private:
  int64_t Major(int64_t i) const { return major_start_ + major_sign_ * i; }

  int64_t Minor(int64_t i) const {
    if (steps_ == 0) return minor_start_;
    const __int128 twice = 2 * static_cast<__int128>(i) * minor_span_ + steps_;
    return minor_start_ + minor_sign_ * static_cast<int64_t>(twice / (2 * static_cast<__int128>(steps_)));
  }

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
  for (int64_t row = top; row < bottom; ++row) {
    for (int64_t column = left; column < right; ++column) {
      image.Set(static_cast<int>(column), static_cast<int>(row), color);
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
