#pragma once
// An image gadget takes the size of the image it shows; a sunken edge adds
// its width on every side.

#include "toolkit/ui/ui.h"

namespace hl::ui {

inline constexpr int kSunkenEdgeWidth = 2;

inline Geometry FitImageView(Geometry view, int image_width, int image_height, bool bordered) {
  const int edges = bordered ? 2 * kSunkenEdgeWidth : 0;
  view.width = image_width + edges;
  view.height = image_height + edges;
  return view;
}

}  // namespace hl::ui
