#include "app/screen_window.h"

#include "toolkit/text/text.h"

namespace hl::app {

namespace {

// Every event fetched here is consumed here, so a close request for the main
// window only closes the screen.
void WaitUntilClosed(ui::Ui& ui) {
  while (true) {
    const int event = ui.WaitEvent();
    if (event == ui::kCloseEvent) return;
    if (event == ui::kGadgetEvent && ui.EventSource() == id::kScreenPicture) return;
  }
}

}  // namespace

void ShowScreen(AppState& s, ui::Ui& ui) {
  if (s.ScreenFileName == kMissingFile) return;
  if (!s.Images.LoadImage(id::kScreenImage, s.EntryDir + s.ScreenFileName)) return;
  const int width = s.Images.ImageWidth(id::kScreenImage);
  const int height = s.Images.ImageHeight(id::kScreenImage);

  const std::string title =
      "Screen " + text::FormatInteger(width) + " x " + text::FormatInteger(height);
  ui.OpenFrame(id::kScreenWindow, 1, 1, width, height, title, ui::FrameStyle::Bare,
               id::kMainWindow);
  ui.AddImageView(id::kScreenPicture, 0, 0, width, height, false);
  ui.ShowImage(id::kScreenPicture, s.Images.Get(id::kScreenImage));
  WaitUntilClosed(ui);
  ui.CloseFrame(id::kScreenWindow);
}

}  // namespace hl::app
