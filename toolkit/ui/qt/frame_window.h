#pragma once
// A top-level window of the facade. Asking it to close only reports the
// request: the tool decides whether the window really goes. The Escape key
// is reported too, whichever of its gadgets has the keyboard.

#include <QWidget>
#include <functional>

#include "toolkit/ui/ui.h"

namespace hl::ui {

class FrameWindow : public QWidget {
 public:
  FrameWindow(QWidget* owner, FrameStyle style, std::function<void()> on_close_request,
              std::function<void()> on_escape);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::function<void()> on_close_request_;
  std::function<void()> on_escape_;
};

}  // namespace hl::ui
