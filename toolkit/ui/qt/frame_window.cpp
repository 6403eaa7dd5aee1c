#include "toolkit/ui/qt/frame_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <utility>

namespace hl::ui {
namespace {

Qt::WindowFlags FlagsFor(FrameStyle style) {
  if (style == FrameStyle::Bare) return Qt::Window | Qt::FramelessWindowHint;
  return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
         Qt::MSWindowsFixedSizeDialogHint;
}

}  // namespace

FrameWindow::FrameWindow(QWidget* owner, FrameStyle style, std::function<void()> on_close_request,
                         std::function<void()> on_escape)
    : QWidget(owner, FlagsFor(style)),
      on_close_request_(std::move(on_close_request)),
      on_escape_(std::move(on_escape)) {}

void FrameWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  on_close_request_();
}

// Gadgets that have no use for Escape pass it on to their window.
void FrameWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Escape) {
    QWidget::keyPressEvent(event);
    return;
  }
  event->accept();
  on_escape_();
}

}  // namespace hl::ui
