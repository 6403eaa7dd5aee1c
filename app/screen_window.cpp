#include "app/screen_window.h"

#include "toolkit/text/text.h"

namespace hl::app {

namespace {

// Every event fetched here is consumed here, so a close request for the main
// window only closes the screen. The window has no title bar and may cover
// the whole desktop: Escape closes it as well as a click.
void WaitUntilClosed(ui::Ui& ui) {
  while (true) {
    const int event = ui.WaitEvent();
    if (event == ui::kCloseEvent || event == ui::kEscapeEvent) return;
    if (event == ui::kGadgetEvent && ui.EventSource() == state::id::kScreenPicture) return;
  }
}

}  // namespace

void ShowScreen(state::AppState& s, ui::Ui& ui) {
  if (s.ScreenFileName == state::kMissingFile) return;
  if (!s.Images.LoadImage(state::id::kScreenImage, s.EntryDir + s.ScreenFileName)) return;
  const int width = s.Images.ImageWidth(state::id::kScreenImage);
  const int height = s.Images.ImageHeight(state::id::kScreenImage);

  const std::string title =
      "Screen " + text::FormatInteger(width) + " x " + text::FormatInteger(height);
  ui.OpenFrame(state::id::kScreenWindow, 1, 1, width, height, title, ui::FrameStyle::Bare,
               state::id::kMainWindow);
  ui.AddImageView(state::id::kScreenPicture, 0, 0, width, height, false);
  ui.ShowImage(state::id::kScreenPicture, s.Images.Get(state::id::kScreenImage));
  WaitUntilClosed(ui);
  ui.CloseFrame(state::id::kScreenWindow);
}

}  // namespace hl::app
