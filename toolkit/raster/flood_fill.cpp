// Four-connected scanline fill with an explicit stack, so even a fill of a
// whole large image needs no deep recursion.

#include <cstddef>
#include <utility>
#include <vector>

#include "toolkit/raster/draw.h"

namespace hl::raster {
namespace {

class Filler {
 public:
  Filler(Image& image, std::optional<Color> border, Color target, Color fill)
      : image_(image),
        border_(border),
        target_(target),
        fill_(fill),
        done_(static_cast<size_t>(image.Width()) * static_cast<size_t>(image.Height()), false) {}

  void Run(int x, int y) {
    Push(x, y);
    while (!stack_.empty()) {
      const auto [sx, sy] = stack_.back();
      stack_.pop_back();
      if (!Fillable(sx, sy)) continue;
      int left = sx;
      while (left > 0 && Fillable(left - 1, sy)) --left;
      int right = sx;
      while (right + 1 < image_.Width() && Fillable(right + 1, sy)) ++right;
      for (int px = left; px <= right; ++px) Paint(px, sy);
      SeedRow(left, right, sy - 1);
      SeedRow(left, right, sy + 1);
    }
  }

 private:
  size_t Index(int x, int y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(image_.Width()) + static_cast<size_t>(x);
  }

  // Painted pixels are remembered, not recognised by colour: a fill colour
  // that equals the region's colour (or a border fill that keeps pixels
  // "not border") would otherwise be filled again and again.
  bool Fillable(int x, int y) const {
    if (done_[Index(x, y)]) return false;
    const Color c = image_.At(x, y);
    return border_ ? c != *border_ : c == target_;
  }

  void Paint(int x, int y) {
    done_[Index(x, y)] = true;
    image_.Set(x, y, fill_);
  }

  // One seed per run of fillable pixels in the neighbouring row.
  void SeedRow(int left, int right, int y) {
    if (y < 0 || y >= image_.Height()) return;
    bool in_run = false;
    for (int x = left; x <= right; ++x) {
      const bool fillable = Fillable(x, y);
      if (fillable && !in_run) Push(x, y);
      in_run = fillable;
    }
  }

  void Push(int x, int y) { stack_.emplace_back(x, y); }

  Image& image_;
  std::optional<Color> border_;
  Color target_;
  Color fill_;
  std::vector<bool> done_;
  std::vector<std::pair<int, int>> stack_;
};

}  // namespace

void FloodFill(Image& image, int x, int y, std::optional<Color> border, Color fill) {
  if (!image.Inside(x, y)) return;
  const Color start = image.At(x, y);
  if (border && start == *border) return;
  if (!border && start == fill) return;  // nothing would change
  Filler(image, border, start, fill).Run(x, y);
}

}  // namespace hl::raster
