#include <gtest/gtest.h>

#include "tests/ui/editor_cases.h"
#include "toolkit/ui/headless_ui.h"

namespace hl::ui {
namespace {

raster::Image MakeImage(int width, int height) { return *raster::Image::Create(width, height); }

class HeadlessUiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui.OpenFrame(0, 5, 5, 1010, 720, "Main", FrameStyle::Titled, -1);
    ui.AddImageView(1, 490, 5, 512, 560, false);
    ui.AddImageView(21, 5, 570, 480, 136, true);
    ui.AddTextField(5, 620, 660, 80, 24, "6000");
    ui.AddPushButton(11, 510, 660, 50, 24, "Load");
  }
  HeadlessUi ui;
};

TEST_F(HeadlessUiTest, ImageViewTakesTheImageSizeAndKeepsItsCorner) {
  for (const hl::testing::ImageViewStep& step : hl::testing::ImageViewSteps()) {
    const raster::Image image = MakeImage(step.width, step.height);
    ui.ShowImage(step.gadget, &image);
    EXPECT_EQ(ui.GadgetGeometry(step.gadget), step.expected) << step.width << "x" << step.height;
    EXPECT_EQ(ui.ShownImageSize(step.gadget), (Geometry{0, 0, step.width, step.height}));
  }
}

TEST_F(HeadlessUiTest, NoImageShowsNothingAndKeepsTheSize) {
  const raster::Image image = MakeImage(32, 32);
  ui.ShowImage(21, &image);
  ui.ShowImage(21, nullptr);
  EXPECT_EQ(ui.ShownImageSize(21), std::nullopt);
  EXPECT_EQ(ui.GadgetGeometry(21), (Geometry{5, 570, 36, 36}));
}

TEST_F(HeadlessUiTest, DisabledOrMissingGadgetRaisesNoEvent) {
  ui.SetEnabled(11, false);
  ui.Press(11);
  ui.Press(99);
  ui.TypeText(5, "1");  // still enabled: raises one
  EXPECT_EQ(ui.PendingEvents(), 1);
  ui.SetEnabled(11, true);
  ui.Press(11);
  EXPECT_EQ(ui.WaitEvent(), kGadgetEvent);
  EXPECT_EQ(ui.EventSource(), 5);
  EXPECT_EQ(ui.ReadText(5), "1");
  EXPECT_EQ(ui.WaitEvent(), kGadgetEvent);
  EXPECT_EQ(ui.EventSource(), 11);
}

TEST_F(HeadlessUiTest, EventsComeOutOldestFirstAndCloseKeepsTheSource) {
  ui.Press(11);
  ui.RequestClose();
  ui.Press(1);
  EXPECT_EQ(ui.WaitEvent(), kGadgetEvent);
  EXPECT_EQ(ui.PollEvent(), kCloseEvent);
  EXPECT_EQ(ui.EventSource(), 11);
  EXPECT_EQ(ui.WaitEvent(100), kGadgetEvent);
  EXPECT_EQ(ui.EventSource(), 1);
}

TEST_F(HeadlessUiTest, EmptyQueueAnswersZeroWithoutAskingTheScript) {
  int idle_calls = 0;
  ui.SetIdleHandler([&](HeadlessUi&) { ++idle_calls; });
  EXPECT_EQ(ui.PollEvent(), 0);
  EXPECT_EQ(ui.WaitEvent(100), 0);
  EXPECT_EQ(idle_calls, 0);
}

TEST_F(HeadlessUiTest, IdleHandlerFeedsTheWaitOnce) {
  int idle_calls = 0;
  ui.SetIdleHandler([&](HeadlessUi& h) {
    if (++idle_calls == 1) h.Press(11);
  });
  EXPECT_EQ(ui.WaitEvent(), kGadgetEvent);
  EXPECT_EQ(ui.EventSource(), 11);
  EXPECT_EQ(ui.WaitEvent(), kCloseEvent);  // the script has run out
  EXPECT_EQ(idle_calls, 2);
}

TEST(HeadlessUi, RunOutOfScriptWithoutHandlerCloses) {
  HeadlessUi ui;
  EXPECT_EQ(ui.WaitEvent(), kCloseEvent);
}

TEST(HeadlessUi, ChooseFolderEndsWithExactlyOneSlash) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""}, {"/base", "/base/"}, {"/base/", "/base/"}, {"/base//", "/base/"}, {"/", "/"},
  };
  HeadlessUi ui;
  for (const auto& [choice, expected] : cases) {
    ui.SetFolderChoice(choice);
    EXPECT_EQ(ui.ChooseFolder("Directory", "/work/"), expected) << choice;
  }
  EXPECT_EQ(ui.LastChooserTitle(), "Directory");
  EXPECT_EQ(ui.LastChooserInitial(), "/work/");
}

TEST_F(HeadlessUiTest, ClosingAWindowTakesItsGadgetsAndOwnedWindows) {
  ui.OpenFrame(1, 1, 1, 64, 48, "Screen 64 x 48", FrameStyle::Bare, 0);
  ui.AddImageView(100, 0, 0, 64, 48, false);
  EXPECT_EQ(ui.WindowOf(100), 1);
  ui.CloseFrame(1);
  EXPECT_FALSE(ui.HasWindow(1));
  EXPECT_FALSE(ui.HasGadget(100));
  EXPECT_TRUE(ui.HasGadget(11));

  ui.OpenFrame(1, 1, 1, 64, 48, "Screen", FrameStyle::Bare, 0);
  ui.AddImageView(100, 0, 0, 64, 48, false);
  ui.CloseFrame(0);
  EXPECT_FALSE(ui.HasWindow(1));
  EXPECT_FALSE(ui.HasGadget(100));
  EXPECT_FALSE(ui.HasGadget(11));
}

TEST_F(HeadlessUiTest, NumbersAreReusedAndUnknownOnesIgnored) {
  ui.AddPushButton(5, 1, 2, 3, 4, "Again");  // replaces the text field
  EXPECT_EQ(ui.KindOf(5), GadgetKind::PushButton);
  EXPECT_EQ(ui.ReadText(5), "Again");
  ui.RemoveControl(5);
  EXPECT_FALSE(ui.HasGadget(5));
  ui.SetText(5, "x");
  ui.AppendLine(11, "not an editor");
  EXPECT_EQ(ui.ReadText(5), "");
  EXPECT_EQ(ui.ReadText(11), "Load");
  ui.MoveControl(1, 10, 20, 30, 40);
  EXPECT_EQ(ui.GadgetGeometry(1), (Geometry{10, 20, 30, 40}));
}

TEST(HeadlessUi, GadgetsNeedAnOpenWindow) {
  HeadlessUi ui;
  ui.AddPushButton(11, 0, 0, 10, 10, "Load");
  EXPECT_FALSE(ui.HasGadget(11));
}

}  // namespace
}  // namespace hl::ui
