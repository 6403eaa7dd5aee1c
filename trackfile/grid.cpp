#include "toolkit/raster/draw.h"
#include "trackfile/line_image.h"
#include "trackfile/picture.h"
#include "trackfile/track_layout.h"

namespace hl::trackfile {
namespace {

constexpr int kCellSide = 8;
constexpr raster::Color kMarkColour = raster::Rgb(0, 64, 255);
// The grid sits one pixel higher than the picture: its bottom row ends at
// y = 510 and its top row starts at y = -1.
constexpr int kBottomCellTop = kTrackEdge - kCellSide;

}  // namespace

void DrawGrid(state::AppState& s, ui::Ui& ui) {
  raster::Image* image = LineImage(s);
  const files::ByteView file = s.LoadedFile();
  const auto cells = file.Slice(s.GridBlock, layout::kGridSize);
  if (image && cells && layout::BlocksAfterHeader(s.GridBlock)) {
    for (int k = 0; k < layout::kGridSize; ++k) {
      if ((*cells)[static_cast<size_t>(k)] >= s.GridThreshold) continue;
      const int column = k % layout::kGridSide;
      const int row = k / layout::kGridSide;
      raster::Box(*image, kCellSide * column, kBottomCellTop - kCellSide * row, kCellSide,
                  kCellSide, kMarkColour);
    }
  }
  ShowLineImage(s, ui);
}

}  // namespace hl::trackfile
