// A chart drawn band by band must be the chart drawn whole: any cut through
// a label, a bar or the scale would show up as different PNG bytes.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "results/chart.h"
#include "results/chart_drawing.h"
#include "results/left_over_chart.h"
#include "tests/support/test_app.h"

namespace hl::results {
namespace {

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t BigEndian(const std::vector<uint8_t>& bytes, size_t at) {
  return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) |
         (uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

// Times, non-times and names of every width, so bands cut through labels,
// bars and the scale at different heights.
std::vector<std::string> Entries(int count) {
  const std::vector<std::string> names = {"Anna", "Bert Wide Name Of Many Letters", "Cleo", "D"};
  std::vector<std::string> entries;
  for (int i = 0; i < count; ++i) {
    const int time = i % 9 == 4 ? 6000 : 905 + (i * 37) % 5000;
    entries.push_back((time < 1000 ? "0" : "") + std::to_string(time) + " " +
                      names[static_cast<size_t>(i) % names.size()] + std::to_string(i));
  }
  if (count > 2) entries[1] = "DNF Nobody";
  return entries;
}

// A started tool that draws and saves the chart of some entries.
struct ChartRun {
  ChartRun() {
    app.s.BaseDir = app.work.MakeDir("base");
    app.s.TrackBaseName = "Monza";
    app.s.ReportSaved = true;
  }
  std::vector<uint8_t> SavedChart(int entries) {
    for (const std::string& entry : Entries(entries)) app.s.RankingList.Append(entry);
    DrawChart(app.s, app.ui);
    EXPECT_TRUE(app.s.ChartSaved);
    return ReadBytes(app.s.BaseDir + "Monza.png");
  }
  testing::TestApp app;
};

TEST(ChartBands, AnyBandHeightGivesTheBytesOfTheWholePicture) {
  for (const int entries : {0, 3, 40}) {
    ChartRun run;
    const std::vector<uint8_t> whole = run.SavedChart(entries);
    ASSERT_FALSE(whole.empty());
    const ChartLayout layout = LayoutChart(run.app.s);
    for (const int band : {1, 7, 29, 31, 200, 32767}) {
      SCOPED_TRACE(std::to_string(entries) + " entries, bands of " + std::to_string(band));
      const auto banded = EncodeChartInBands(layout, band);
      ASSERT_TRUE(banded);
      EXPECT_TRUE(*banded == whole);
    }
  }
}

// 1,090 entries make 32,780 rows, just past what one image may hold.
TEST(ChartBands, ChartTallerThanAnImageIsWrittenWhole) {
  constexpr int kEntries = 1090;
  ChartRun run;
  const std::vector<uint8_t> saved = run.SavedChart(kEntries);
  ASSERT_GT(saved.size(), 24u);
  EXPECT_EQ(BigEndian(saved, 16), 450u);
  EXPECT_EQ(BigEndian(saved, 20), 30u * kEntries + 80u);
  // The largest band holds all but the last rows as one picture.
  const ChartLayout layout = LayoutChart(run.app.s);
  for (const int band : {32767, 1000}) {
    SCOPED_TRACE(band);
    const auto banded = EncodeChartInBands(layout, band);
    ASSERT_TRUE(banded);
    EXPECT_TRUE(*banded == saved);
  }
  EXPECT_EQ(run.app.s.ChartMin, 850);
  EXPECT_EQ(run.app.ui.ShownImageSize(state::id::kLineView)->width, 450);
}

// A run that writes the tall chart itself once its page is out gets the
// bytes the ranking would have written, whatever the ranking list became
// since; an earlier run's chart never stands beside the new report.
TEST(ChartBands, ChartLeftOverIsWrittenLaterWithTheSameBytes) {
  constexpr int kEntries = 1090;
  const std::vector<uint8_t> in_place = ChartRun().SavedChart(kEntries);
  ChartRun later;
  const std::string path = later.app.s.BaseDir + "Monza.png";
  std::ofstream(path) << "an earlier run's chart";
  later.app.s.ChartInBandsLater = true;
  for (const std::string& entry : Entries(kEntries)) later.app.s.RankingList.Append(entry);
  DrawChart(later.app.s, later.app.ui);
  EXPECT_FALSE(later.app.s.ChartSaved);
  EXPECT_TRUE(ReadBytes(path).empty());

  const auto chart = LeftOverChart::Take(later.app.s);
  ASSERT_TRUE(chart);
  later.app.s.RankingList.Clear();
  EXPECT_FALSE(chart->Write([] { return false; }));
  EXPECT_TRUE(ReadBytes(path).empty());
  ASSERT_TRUE(chart->Write());
  EXPECT_TRUE(ReadBytes(path) == in_place);
  EXPECT_FALSE(LeftOverChart::Take(later.app.s));
}

}  // namespace
}  // namespace hl::results
