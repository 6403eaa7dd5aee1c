#include "workflow/startup.h"

#include <gtest/gtest.h>

#include <cctype>

#include "tests/support/test_app.h"
#include "toolkit/files/paths.h"

namespace hl::workflow {
namespace {

using testing::TestApp;

TEST(StartUp, MainWindowStartsEmptyWithThePresetTexts) {
  TestApp app;
  EXPECT_EQ(app.ui.WindowTitle(state::id::kMainWindow), "Velkaro Hotlap Auswertung");
  EXPECT_EQ(app.ui.WindowGeometry(state::id::kMainWindow), (ui::Geometry{5, 5, 1010, 720}));
  EXPECT_EQ(app.ui.ReadText(state::id::kLogBox), "");
  EXPECT_EQ(app.ui.ReadText(state::id::kPenaltyField), "6000");
  EXPECT_EQ(app.ui.ReadText(state::id::kStepButton), "Load");
  EXPECT_EQ(app.ui.ReadText(state::id::kActionButton), "Strafe");
  for (int view : {state::id::kScreenView, state::id::kLineView, state::id::kProgressView,
                   state::id::kStatsView}) {
    EXPECT_FALSE(app.ui.ShownImageSize(view).has_value()) << "gadget " << view;
  }
  // The only bordered view: its frame adds 4 pixels each way to a picture.
  app.ui.ShowImage(state::id::kStatsView, app.s.Images.Get(state::id::kPlaceholderImage));
  EXPECT_EQ(app.ui.GadgetGeometry(state::id::kStatsView), (ui::Geometry{5, 570, 36, 36}));
}

TEST(StartUp, StateIsReadyForTheFirstPress) {
  state::AppState s;
  ASSERT_TRUE(InitState(s).has_value());
  EXPECT_EQ(s.CurrentDir, files::QueryCurrentDir());
  EXPECT_EQ(s.CurrentDir.back(), '/');
  EXPECT_EQ(s.StepCounter, 0);
  EXPECT_EQ(s.LoadedFile().Size(), files::DataBuffer::kFileRegionSize);  // never into CarArea
  EXPECT_EQ(s.LoadedCar().Size(), 0);
  EXPECT_EQ(s.Images.ImageWidth(state::id::kPlaceholderImage), 32);
  EXPECT_EQ(s.Images.ImageHeight(state::id::kPlaceholderImage), 32);
  EXPECT_TRUE(s.LogFont.has_value());
  EXPECT_TRUE(s.LabelFont.has_value());
  for (int unassigned : {13, 14, 15, 19, 20, 21}) {
    EXPECT_EQ(s.Palette[unassigned], raster::Rgb(0, 0, 0)) << "entry " << unassigned;
  }
  EXPECT_EQ(s.Palette[16], raster::Rgb(200, 230, 239));
}

TEST(StartUp, ShutDownReleasesEverything) {
  TestApp app;
  ShutDown(app.s, app.ui);
  EXPECT_FALSE(app.ui.HasWindow(state::id::kMainWindow));
  EXPECT_FALSE(app.ui.HasGadget(state::id::kLogBox));
  EXPECT_EQ(app.s.Images.Get(state::id::kPlaceholderImage), nullptr);
  EXPECT_FALSE(app.s.LabelFont.has_value());
  EXPECT_EQ(app.s.Data, nullptr);
  EXPECT_EQ(app.s.LoadedFile().Size(), 0);  // no buffer, no bytes
}

TEST(TextList, StepsOnceOverItsElementsAndSortsStably) {
  state::TextList list;
  for (const char* text : {"b", "A", "a", "c"}) list.Append(text);
  list.ResetPosition();
  std::vector<std::string> seen;
  while (list.Next()) seen.push_back(list.Current());
  EXPECT_EQ(seen, (std::vector<std::string>{"b", "A", "a", "c"}));
  EXPECT_FALSE(list.Next());
  EXPECT_EQ(list.Index(), -1);

  const auto folded_less = [](const std::string& x, const std::string& y) {
    return std::tolower(x[0]) < std::tolower(y[0]);
  };
  list.SortStable(folded_less, true);
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"c", "b", "A", "a"}));
  list.SortStable(folded_less, false);
  EXPECT_EQ(list.Items(), (std::vector<std::string>{"A", "a", "b", "c"}));
  ASSERT_TRUE(list.Next());
  EXPECT_EQ(list.Index(), 0);
}

}  // namespace
}  // namespace hl::workflow
