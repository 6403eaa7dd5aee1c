#include "results/google_export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_app.h"

namespace hl::results {
namespace {

class GoogleExportTest : public ::testing::Test {
 protected:
  // RankingList and scale as the chart leaves them.
  void Export(const std::vector<std::string>& ascending, int32_t min, int32_t max) {
    for (const auto& entry : ascending) app.s.RankingList.Append(entry);
    app.s.ChartMin = min;
    app.s.ChartMax = max;
    ExportGoogleChart(app.s, app.ui);
  }
  void Template(const std::string& bytes) { app.work.WriteFile("google_charts.txt", bytes); }
  testing::TestApp app;
};

TEST_F(GoogleExportTest, ProducesTheParametersOfTheRankedRun) {
  Template("cht=bhs\r\nchs=450x\r\n");
  Export({"0987 Bert", "5987 Anna", "6012 Cleo"}, 900, 6000);
  const std::string expected =
      "cht=bhs\r\n"
      "chs=450x150\r\n"
      "&chds=9.00,60.00\r\n"
      "&chd=t:9.87,59.87,60.00\r\n"
      "&chxt=x,y\r\n"
      "&chxl=0:|9.00|34.50|60.00\r\n"
      "|1:|Cleo (60.12)|Anna (59.87)|Bert (9.87)";
  EXPECT_EQ(app.s.GoogleText, expected);
  EXPECT_EQ(app.ui.ReadText(state::id::kLogBox), expected);
  EXPECT_EQ(app.s.RankingList.Items().front(), "6012 Cleo");
}

TEST_F(GoogleExportTest, CompletesOnlyAnOpenSizeLine) {
  Template("  chs=450x  \nchs=450x100\rCHS=450x\nchs=450x\t\n\nlast");
  Export({}, -50, 100);
  EXPECT_EQ(testing::SplitCrLf(app.s.GoogleText),
            (std::vector<std::string>{"chs=450x60", "chs=450x100", "CHS=450x", "chs=450x\t", "",
                                      "last", "&chds=-0.50,1.00", "&chd=t:", "&chxt=x,y",
                                      "&chxl=0:|-0.50|0.25|1.00", "|1:|"}));
}

TEST_F(GoogleExportTest, LabelsTakeTheFirstWordAndTheTrueTime) {
  Template("");
  Export({"0 Zero", "87 Eve", "0987", "5987 Anna Lena", "6000 Dan ##"}, -50, 6000);
  const std::vector<std::string> lines = testing::SplitCrLf(app.s.GoogleText);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[1], "&chd=t:0.00,0.87,9.87,59.87,60.00");
  EXPECT_EQ(lines[4], "|1:|Dan (60.00)|Anna (59.87)| (9.87)|Eve (0.87)|Zero (0.00)");
}

TEST_F(GoogleExportTest, WithoutATemplateDoesNothing) {
  app.ui.SetText(state::id::kLogBox, "ranking");
  app.s.GoogleText = "stale";
  app.work.MakeDir("google_charts.txt");  // a folder cannot be read as the template
  Export({"0987 Bert", "5987 Anna"}, 900, 6000);
  EXPECT_EQ(app.s.GoogleText, "");
  EXPECT_EQ(app.ui.ReadText(state::id::kLogBox), "ranking");
  EXPECT_EQ(app.s.RankingList.Items().front(), "0987 Bert");
}

}  // namespace
}  // namespace hl::results
