// Four-connected scanline fill with an explicit stack of row segments, so
// even a fill of a whole large image needs no deep recursion. A segment is a
// run just painted and the direction of the row to look at next; that row is
// scanned under the run only, and the row the run came from only where the
// new runs reach past it. So most pixels are looked at once, and each run is
// painted in one go.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "toolkit/raster/draw.h"

namespace hl::raster {
namespace {

// The pixel's colour value, read straight from the row's bytes.
Color ColorAt(std::span<const uint8_t> row, int x) {
  const size_t at = static_cast<size_t>(x) * 3;
  return Rgb(row[at], row[at + 1], row[at + 2]);
}

// One bit a pixel. Kept between fills and clear between them: a fill only
// clears the runs it marked, so its cost follows the area it reaches, not
// the size of the image.
class VisitedMask {
 public:
  void Fit(int width, int height) {
    words_per_row_ = (static_cast<size_t>(width) + 63) / 64;
    const size_t needed = words_per_row_ * static_cast<size_t>(height);
    if (words_.size() < needed) words_.resize(needed, 0);
  }

  // A mask for a huge picture is not worth keeping for the next fill.
  void ReleaseIfLarge() {
    constexpr size_t kKeptWords = size_t{1} << 17;  // 8 M pixels
    if (words_.size() > kKeptWords) words_ = {};
  }

  std::span<const uint64_t> Row(int y) const {
    return std::span(words_).subspan(static_cast<size_t>(y) * words_per_row_, words_per_row_);
  }

  static bool Test(std::span<const uint64_t> row, int x) {
    const size_t column = static_cast<size_t>(x);
    return (row[column / 64] >> (column % 64) & 1) != 0;
  }

  // Sets (or clears) the bits of x = left .. right of row y.
  void Mark(int left, int right, int y, bool set) {
    for (size_t column = static_cast<size_t>(left); column <= static_cast<size_t>(right);) {
      const size_t bit = column % 64;
      const size_t count = std::min<size_t>(64 - bit, static_cast<size_t>(right) + 1 - column);
      const uint64_t bits = (count == 64 ? ~uint64_t{0} : (uint64_t{1} << count) - 1) << bit;
      uint64_t& word = words_[WordIndex(column, y)];
      word = set ? word | bits : word & ~bits;
      column += count;
    }
  }

 private:
  size_t WordIndex(size_t column, int y) const {
    return static_cast<size_t>(y) * words_per_row_ + column / 64;
  }

  size_t words_per_row_ = 0;
  std::vector<uint64_t> words_;
};

struct RowRun {
  int left;
  int right;
  int y;
};

// Row y was painted over left .. right; row y + dy is to be looked at.
struct Segment {
  int y;
  int left;
  int right;
  int dy;
};

// A row's pixels and, in a border fill, its visited bits.
struct RowView {
  std::span<const uint8_t> pixels;
  std::span<const uint64_t> visited;
};

// Memory reused from fill to fill; a rotated rectangle of the track picture
// is a fill of a few hundred pixels, and there are dozens of them per entry.
struct Scratch {
  VisitedMask visited;
  std::vector<RowRun> marked;
  std::vector<Segment> segments;
};

// Clears what a fill marked, also when the fill ends by an exception: every
// marked run is listed before its bits are set.
class MarkedRuns {
 public:
  explicit MarkedRuns(Scratch& scratch) : scratch_(scratch) { scratch_.marked.clear(); }
  ~MarkedRuns() {
    for (const RowRun& run : scratch_.marked)
      scratch_.visited.Mark(run.left, run.right, run.y, false);
    scratch_.marked.clear();
  }
  MarkedRuns(const MarkedRuns&) = delete;
  MarkedRuns& operator=(const MarkedRuns&) = delete;

  void Add(const RowRun& run) {
    scratch_.marked.push_back(run);
    scratch_.visited.Mark(run.left, run.right, run.y, true);
  }

 private:
  Scratch& scratch_;
};

class Filler {
 public:
  Filler(Image& image, std::optional<Color> border, Color target, Color fill, Scratch& scratch)
      : image_(image),
        with_border_(border.has_value()),
        border_(border.value_or(0)),
        target_(target),
        fill_(fill),
        scratch_(scratch),
        marked_(scratch) {
    scratch_.segments.clear();
    if (with_border_) scratch_.visited.Fit(image.Width(), image.Height());
  }

  void Run(int x, int y) {
    // Row y under x first, then row y + 1 under x: the runs found in row y
    // reach back into row y + 1 only beside x.
    scratch_.segments.push_back({y, x, x, 1});
    scratch_.segments.push_back({y + 1, x, x, -1});
    while (!scratch_.segments.empty()) {
      const Segment segment = scratch_.segments.back();
      scratch_.segments.pop_back();
      ScanRow(segment);
    }
  }

 private:
  // Painted pixels are remembered, not recognised by colour: in a border
  // fill, pixels that had the fill colour before must still be passed
  // through, but never painted twice. Only pixels of the fill colour can
  // have been painted, so only they need the mask. A start-colour fill
  // needs none: painted pixels no longer have the start colour.
  bool Fillable(const RowView& row, int x) const {
    const Color c = ColorAt(row.pixels, x);
    if (!with_border_) return c == target_;
    if (c == border_) return false;
    return c != fill_ || !VisitedMask::Test(row.visited, x);
  }

  RowView ViewOf(int y) const {
    return {image_.Row(y), with_border_ ? scratch_.visited.Row(y) : std::span<const uint64_t>()};
  }

  void Paint(const RowRun& run) {
    if (with_border_) marked_.Add(run);
    image_.FillRun(run.left, run.y, run.right - run.left + 1, fill_);
  }

  // Finds, paints and follows up every run of row from.y + from.dy that
  // touches from.left .. from.right.
  void ScanRow(const Segment& from) {
    const int y = from.y + from.dy;
    if (y < 0 || y >= image_.Height()) return;
    const RowView row = ViewOf(y);
    for (int x = from.left; x <= from.right; ++x) {
      if (!Fillable(row, x)) continue;
      int left = x;
      while (left > 0 && Fillable(row, left - 1)) --left;
      int right = x;
      while (right + 1 < image_.Width() && Fillable(row, right + 1)) ++right;
      Paint({left, right, y});
      scratch_.segments.push_back({y, left, right, from.dy});
      if (left < from.left) scratch_.segments.push_back({y, left, from.left - 1, -from.dy});
      if (right > from.right) scratch_.segments.push_back({y, from.right + 1, right, -from.dy});
      x = right + 1;  // not fillable, or past the image
    }
  }

  Image& image_;
  bool with_border_;
  Color border_;
  Color target_;
  Color fill_;
  Scratch& scratch_;
  MarkedRuns marked_;
};

}  // namespace

void FloodFill(Image& image, int x, int y, std::optional<Color> border, Color fill) {
  if (!image.Inside(x, y)) return;
  const Color start = image.At(x, y);
  if (border && start == *border) return;
  if (!border && start == fill) return;  // nothing would change
  thread_local Scratch scratch;
  Filler(image, border, start, fill, scratch).Run(x, y);
  scratch.visited.ReleaseIfLarge();
}

}  // namespace hl::raster
