#include "results/ranking.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ranking/ranking_entries.h"
#include "results/chart.h"
#include "results/google_export.h"
#include "tests/support/test_app.h"

namespace hl::results {
namespace {

TEST(RankingEntries, CollectsEveryLineThatOpensWithTheMark) {
  const std::vector<std::pair<const char*, std::vector<std::string>>> cases = {
      {"no result here\r\n", {}},
      {"x\r\n1.: 987 Anna  \r\n", {"0987 Anna"}},
      {"1.:   987 \r\n", {"987"}},  // too short for a leading zero
      {"1.: 87 Eve\r\n", {"87 Eve"}},
      {"1.: DNF Eve\r\n1.: -12 Al\r\n", {"DNF Eve", "-12 Al"}},  // only three digits get the "0"
      {"1.: 987\tAl\r\n", {"987\tAl"}},
      {"1.: 5987 Anna\r\n-\r\n  1.: 987 Bert\r\n1.: 6012 Cleo", {"5987 Anna", "0987 Bert"}},
      {"1.:", {}},
      // Entrant-chosen names stand inside lines and cannot forge an entry.
      {"1.: 5123 x1.: 0001 Me\r\n", {"5123 x1.: 0001 Me"}},
      {"Car 1:GT 1.: 0001 Me\r\n", {}},
      {"a 1.: 987 Bert\r\n\t1.: 987 Cleo\r\n", {}},
  };
  for (const auto& [report, entries] : cases) {
    EXPECT_EQ(ranking::CollectRankingEntries(report), entries) << report;
  }
}

TEST(RankingEntries, LongTextAfterTheLastResultLineEndsQuickly) {
  const std::string report = "1.: 987 Anna\r\n" + std::string(4'000'000, 'y');
  EXPECT_EQ(ranking::CollectRankingEntries(report), std::vector<std::string>{"0987 Anna"});
}

class RankResultsTest : public ::testing::Test {
 protected:
  RankResultsTest() {
    app.s.BaseDir = app.work.MakeDir("base");
    app.s.TrackBaseName = "Monza";
  }
  std::string Report() {
    const std::vector<uint8_t> bytes = app.work.ReadFile("base/Monza.txt");
    return std::string(bytes.begin(), bytes.end());
  }
  testing::TestApp app;
};

TEST_F(RankResultsTest, PutsTheRankingInFrontShowsAndWritesIt) {
  const std::string run =
      "\r\n\r\ncars\r\n 1.: 5987 Anna\r\nx\r\n 1.: 987 Bert\r\n 1.: 6012 Cleo\r\nz";
  app.s.ReportText = run;
  RankResults(app.s, app.ui);

  const std::string expected = "1 - 0987 Bert\r\n2 - 5987 Anna\r\n3 - 6012 Cleo\r\n" + run;
  EXPECT_EQ(app.s.ReportText, expected);
  EXPECT_EQ(app.ui.ReadText(state::id::kLogBox), expected);
  EXPECT_EQ(Report(), expected);
  EXPECT_TRUE(app.s.ReportSaved);
  EXPECT_FALSE(app.ui.HasGadget(state::id::kScreenView));
  EXPECT_FALSE(app.ui.HasGadget(state::id::kStatsView));
  EXPECT_EQ(app.ui.GadgetGeometry(state::id::kLogBox), (ui::Geometry{5, 10, 480, 628}));
}

TEST_F(RankResultsTest, RanksByTimeValueAndPutsTheLaterOfEqualEntriesFirst) {
  app.s.ReportText =
      "1.: 10000 Dora\r\n1.: 5987 ANNA\r\n1.: 87 Eve\r\n1.: 5987 anna\r\n1.: 987\r\n";
  RankResults(app.s, app.ui);
  const std::vector<std::string> lines = testing::SplitCrLf(app.s.ReportText);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5),
            (std::vector<std::string>{"1 - 87 Eve", "2 - 987", "3 - 5987 anna", "4 - 5987 ANNA",
                                      "5 - 10000 Dora"}));
}

// A log edited by hand may hold anything in a time's place. Such an entry
// has no time: it ranks after every timed one, gets no bar, stands at the
// scale's end in the Google series and shows what was typed in its labels.
TEST_F(RankResultsTest, AnEntryWhoseTimeIsNoNumberHasNoTime) {
  app.work.WriteFile("google_charts.txt", "");
  app.s.ReportText =
      "1.: DNF Cleo\r\n1.: 5987 Anna\r\n1.:  Bert ##\r\n1.: 10000 Dora\r\n1.: 987 Eve\r\n";
  RankResults(app.s, app.ui);
  const std::vector<std::string> lines = testing::SplitCrLf(app.s.ReportText);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5),
            (std::vector<std::string>{"1 - 0987 Eve", "2 - 5987 Anna", "3 - 10000 Dora",
                                      "4 - Bert ##", "5 - DNF Cleo"}));

  DrawChart(app.s, app.ui);
  EXPECT_EQ(app.s.ChartMin, 900);
  EXPECT_EQ(app.s.ChartMax, 6000);
  const raster::Image& chart = *app.s.Images.Get(state::id::kLineImage);
  auto has_bar = [&](int row) {
    for (int x = 0; x < chart.Width(); ++x) {
      if (chart.At(x, 30 + 30 * row + 7) == raster::Rgb(0, 0, 255)) return true;
    }
    return false;
  };
  EXPECT_EQ((std::vector<bool>{has_bar(0), has_bar(1), has_bar(2), has_bar(3), has_bar(4)}),
            (std::vector<bool>{true, true, false, false, false}));

  ExportGoogleChart(app.s, app.ui);
  const std::vector<std::string> google = testing::SplitCrLf(app.s.GoogleText);
  ASSERT_EQ(google.size(), 5u);
  EXPECT_EQ(google[1], "&chd=t:9.87,59.87,60.00,60.00,60.00");
  EXPECT_EQ(google[4], "|1:|Cleo (DNF)|## (Bert)|Dora (100.00)|Anna (59.87)|Eve (9.87)");
}

TEST_F(RankResultsTest, WithoutResultLinesWritesTheTextUnchanged) {
  app.s.ReportText = "\r\n\r\nno entries\r\n";
  RankResults(app.s, app.ui);
  EXPECT_EQ(Report(), "\r\n\r\nno entries\r\n");
  EXPECT_FALSE(app.ui.HasGadget(state::id::kScreenView));
}

TEST_F(RankResultsTest, EmptyReportChangesNothing) {
  app.s.RankingList.Append("stale");
  RankResults(app.s, app.ui);
  EXPECT_EQ(app.s.RankingList.Count(), 0);
  EXPECT_TRUE(app.ui.HasGadget(state::id::kScreenView));
  EXPECT_FALSE(std::filesystem::exists(app.s.BaseDir + "Monza.txt"));
  EXPECT_FALSE(app.s.ReportSaved);
}

TEST_F(RankResultsTest, AFolderInThePlaceOfTheReportSurvivesAndIsReported) {
  app.work.WriteFile("base/Monza.txt/keep", "old");
  app.s.ReportText = "1.: 987 Anna\r\n";
  RankResults(app.s, app.ui);
  EXPECT_FALSE(app.s.ReportSaved);
  EXPECT_EQ(app.work.ReadFile("base/Monza.txt/keep"), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(app.ui.ReadText(state::id::kLogBox), "1 - 0987 Anna\r\n1.: 987 Anna\r\n");
}

}  // namespace
}  // namespace hl::results
