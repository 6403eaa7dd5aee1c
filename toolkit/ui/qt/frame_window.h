#pragma once
// A top-level window of the facade. Asking it to close only reports the
// request: the tool decides whether the window really goes.

#include <QWidget>
#include <functional>

#include "toolkit/ui/ui.h"

namespace hl::ui {

class FrameWindow : public QWidget {
 public:
  FrameWindow(QWidget* owner, FrameStyle style, std::function<void()> on_close_request);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::function<void()> on_close_request_;
};

}  // namespace hl::ui
