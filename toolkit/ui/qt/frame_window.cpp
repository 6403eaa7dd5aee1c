#include "toolkit/ui/qt/frame_window.h"

#include <QCloseEvent>
#include <utility>

namespace hl::ui {
namespace {

Qt::WindowFlags FlagsFor(FrameStyle style) {
  if (style == FrameStyle::Bare) return Qt::Window | Qt::FramelessWindowHint;
  return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
}

}  // namespace

FrameWindow::FrameWindow(QWidget* owner, FrameStyle style, std::function<void()> on_close_request)
    : QWidget(owner, FlagsFor(style)), on_close_request_(std::move(on_close_request)) {}

void FrameWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  on_close_request_();
}

}  // namespace hl::ui
