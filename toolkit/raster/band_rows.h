#pragma once
// The rows of a picture too tall to hold at once, drawn a band at a time
// into one image: a row is drawn with the band that starts at it when it is
// not in the band drawn last, so a pass from top to bottom draws each band
// once, and a second pass draws them again.

#include <cstdint>
#include <functional>
#include <span>
#include <utility>

#include "toolkit/raster/image.h"

namespace hl::raster {

class BandRows {
 public:
  // draw(band, first_row) draws rows first_row .. first_row + band.Height() - 1.
  using DrawBand = std::function<void(Image& band, int first_row)>;

  BandRows(Image band, DrawBand draw) : band_(std::move(band)), draw_(std::move(draw)) {}

  // Row y, valid until the next call.
  std::span<const uint8_t> Row(int y) {
    if (first_row_ < 0 || y < first_row_ || y >= first_row_ + band_.Height()) {
      first_row_ = y;
      draw_(band_, first_row_);
    }
    return band_.Row(y - first_row_);
  }

 private:
  Image band_;
  DrawBand draw_;
  int first_row_ = -1;
};

}  // namespace hl::raster
