// Copying one picture onto another, clipped to both.

#include <algorithm>
#include <cstdint>

#include "toolkit/raster/draw.h"

namespace hl::raster {

void DrawImage(Image& target, int x, int y, const Image& source, int width, int height) {
  const int64_t columns = std::min<int64_t>({width, source.Width(), int64_t{target.Width()} - x});
  const int64_t rows = std::min<int64_t>({height, source.Height(), int64_t{target.Height()} - y});
  const int64_t skip_x = std::max<int64_t>(0, -int64_t{x});
  const int64_t skip_y = std::max<int64_t>(0, -int64_t{y});
  if (columns <= skip_x) return;
  const auto bytes = static_cast<size_t>(3 * (columns - skip_x));
  for (int64_t row = skip_y; row < rows; ++row) {
    const auto from =
        source.Row(static_cast<int>(row)).subspan(static_cast<size_t>(3 * skip_x), bytes);
    const auto to =
        target.Row(static_cast<int>(y + row)).subspan(static_cast<size_t>(3 * (x + skip_x)), bytes);
    std::copy(from.begin(), from.end(), to.begin());
  }
}

}  // namespace hl::raster
