#include "app/screen_window.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "tests/support/test_app.h"
#include "tools/competition/picture_writer.h"

namespace hl::app {
namespace {

// An entry whose screen picture is 40 x 30 pixels.
void PrepareScreen(testing::TestApp& app) {
  const raster::Image picture = *raster::Image::Create(40, 30);
  app.s.EntryDir = app.work.MakeDir("entry");
  app.s.ScreenFileName = "shot.bmp";
  app.work.WriteFile("entry/shot.bmp", competition::EncodeBmp24(picture));
}

struct Closing {
  const char* name;
  std::function<void(ui::HeadlessUi&)> close;
};

TEST(ShowScreen, ShowsThePictureUntilClickedOrClosed) {
  const std::vector<Closing> closings = {
      {"click on the picture", [](ui::HeadlessUi& ui) { ui.Press(state::id::kScreenPicture); }},
      {"close request", [](ui::HeadlessUi& ui) { ui.RequestClose(); }},
      {"Escape", [](ui::HeadlessUi& ui) { ui.PressEscape(); }},
  };
  for (const Closing& c : closings) {
    SCOPED_TRACE(c.name);
    testing::TestApp app;
    PrepareScreen(app);
    int waits = 0;
    app.ui.SetIdleHandler([&](ui::HeadlessUi& ui) {
      ++waits;
      if (waits == 1) {
        EXPECT_EQ(ui.WindowTitle(state::id::kScreenWindow), "Screen 40 x 30");
        EXPECT_EQ(ui.WindowGeometry(state::id::kScreenWindow), (ui::Geometry{1, 1, 40, 30}));
        EXPECT_EQ(ui.GadgetGeometry(state::id::kScreenPicture), (ui::Geometry{0, 0, 40, 30}));
        // Other gadgets' events are swallowed while the screen is open.
        ui.Press(state::id::kStepButton);
        return;
      }
      c.close(ui);
    });
    ShowScreen(app.s, app.ui);
    EXPECT_EQ(waits, 2);
    EXPECT_FALSE(app.ui.HasWindow(state::id::kScreenWindow));
    EXPECT_TRUE(app.ui.HasWindow(state::id::kMainWindow));
    EXPECT_EQ(app.ui.PendingEvents(), 0);
    EXPECT_EQ(app.s.Images.ImageWidth(state::id::kScreenImage), 40);  // kept for the next view
  }
}

TEST(ShowScreen, DoesNothingWithoutAReadablePicture) {
  struct Case {
    const char* name;
    std::string file;
    std::string content;
  };
  for (const Case& c :
       {Case{"no screen file", "nix", ""}, Case{"damaged picture", "shot.jpg", "not a picture"}}) {
    SCOPED_TRACE(c.name);
    testing::TestApp app;
    app.s.EntryDir = app.work.MakeDir("entry");
    app.s.ScreenFileName = c.file;
    app.work.WriteFile("entry/" + c.file, c.content);
    int waits = 0;
    app.ui.SetIdleHandler([&](ui::HeadlessUi&) { ++waits; });
    ShowScreen(app.s, app.ui);
    EXPECT_EQ(waits, 0);
    EXPECT_FALSE(app.ui.HasWindow(state::id::kScreenWindow));
  }
}

}  // namespace
}  // namespace hl::app
