#pragma once
// An image gadget: shows a copy of a raster image at its top-left corner and
// reports every click on it.

#include <QLabel>
#include <functional>

#include "toolkit/raster/image.h"

namespace hl::ui {

class ImageView : public QLabel {
 public:
  ImageView(QWidget* parent, bool bordered, std::function<void()> on_use);

  // Takes the image's size (plus the edge); nullptr shows nothing and keeps the size.
  void Show(const raster::Image* image);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  bool bordered_;
  std::function<void()> on_use_;
};

}  // namespace hl::ui
