#include "state/progress_bar.h"

#include <gtest/gtest.h>

#include "tests/app/run_fixture.h"

namespace hl::app {
namespace {

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

struct ProgressCase {
  const char* name;
  int64_t done;
  int64_t total;
  std::string text;
  std::string label;
  int bar;
};

TEST(ShowProgress, DrawsLabelAndBar) {
  const std::string forty_two = Repeat("x", 42);
  const std::vector<ProgressCase> cases = {
      {"entry", 3, 10, "Anna", "3 / 10   Anna", 153},
      {"last entry", 150, 150, "entry150", "150 / 150   entry150", 512},
      {"entries beyond 99 keep their numbers", 99, 120, "z", "99 / 120   z", 422},
      {"finished shows the text alone", state::kFinished, state::kFinished, "Chart", "Chart", 512},
      {"50 characters stay whole", 1, 3, forty_two, "1 / 3   " + forty_two, 170},
      {"51 characters are cut", 1, 3, forty_two + "yz",
       "1 / 3   " + forty_two.substr(0, 39) + "...", 170},
      {"cut counts characters, not bytes", 1, 3, Repeat("\xC3\xA4", 45),
       "1 / 3   " + Repeat("\xC3\xA4", 39) + "...", 170},
      {"a long final message is cut too", state::kFinished, state::kFinished, Repeat("m", 60),
       Repeat("m", 47) + "...", 512},
  };
  for (const ProgressCase& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TestApp app;
    state::ShowProgress(app.s, app.ui, c.done, c.total, c.text);

    const raster::Image* shown = app.s.Images.Get(state::id::kProgressImage);
    ASSERT_NE(shown, nullptr);
    const auto shown_size = app.ui.ShownImageSize(state::id::kProgressView);
    ASSERT_TRUE(shown_size.has_value());
    EXPECT_EQ(shown_size->width, 512);
    EXPECT_EQ(shown_size->height, 30);
    // Row 0 lies above the label, so it shows the bar alone.
    EXPECT_EQ(shown->At(c.bar - 1, 0), app.s.Palette[17]);
    if (c.bar < 512) {
      EXPECT_EQ(shown->At(c.bar, 0), app.s.Palette[16]);
    }
    const raster::Image expected =
        testing::ExpectedProgress(app.s, c.done == state::kFinished ? 1 : c.done,
                                  c.done == state::kFinished ? 1 : c.total, c.label);
    EXPECT_TRUE(shown->Pixels() == expected.Pixels()) << "label should read: " << c.label;
  }
}

}  // namespace
}  // namespace hl::app
