#include "toolkit/ui/qt/image_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <utility>

#include "toolkit/ui/image_view_size.h"

namespace hl::ui {
namespace {

bool HasAllPixels(const raster::Image& image) {
  const size_t needed =
      static_cast<size_t>(image.Width()) * static_cast<size_t>(image.Height()) * 3;
  return image.Width() > 0 && image.Height() > 0 && image.Pixels().size() >= needed;
}

QPixmap ToPixmap(const raster::Image& image) {
  const QImage over_pixels(image.Pixels().data(), image.Width(), image.Height(),
                           static_cast<qsizetype>(image.Width()) * 3, QImage::Format_RGB888);
  // copy(): the pixmap must not refer to pixels the image may change or free.
  return QPixmap::fromImage(over_pixels.copy());
}

}  // namespace

ImageView::ImageView(QWidget* parent, bool bordered, std::function<void()> on_use)
    : QLabel(parent), bordered_(bordered), on_use_(std::move(on_use)) {
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  if (bordered_) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kSunkenEdgeWidth);
  }
}

void ImageView::Show(const raster::Image* image) {
  if (!image || !HasAllPixels(*image)) {
    clear();
    return;
  }
  setPixmap(ToPixmap(*image));
  const QRect now = geometry();
  const Geometry fitted = FitImageView({now.x(), now.y(), now.width(), now.height()},
                                       image->Width(), image->Height(), bordered_);
  setGeometry(fitted.x, fitted.y, fitted.width, fitted.height);
}

void ImageView::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (isEnabled()) on_use_();
}

void ImageView::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  if (isEnabled()) on_use_();
}

}  // namespace hl::ui
