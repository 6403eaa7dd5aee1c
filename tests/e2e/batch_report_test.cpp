// Whole batch runs over the generated sample: the printed and written report,
// the Google parameters, the chart, the track pictures and penalties.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>

#include "tests/e2e/batch_runner.h"
#include "tests/e2e/png_reader.h"

namespace hl::testing {
namespace {

constexpr raster::Color kBarBlue = raster::Rgb(0, 0, 255);

class SampleRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { sample_ = std::make_unique<SampleSetup>(); }
  static void TearDownTestSuite() { sample_.reset(); }

  static const SampleSetup& Sample() { return *sample_; }
  static BatchResult Run(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--batch", sample_->base};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunBatch(sample_->work, args);
  }

 private:
  static inline std::unique_ptr<SampleSetup> sample_;
};

// "n - TIME NAME" lines at the top of the printed report.
std::vector<std::string> RankingLines(const std::string& report) {
  std::vector<std::string> lines;
  std::istringstream in(report);
  for (std::string line; std::getline(in, line) && !line.empty();) lines.push_back(line);
  return lines;
}

TEST_F(SampleRun, ReportIsPrintedAndWrittenAsTheCheckedCopy) {
  const std::string expected = ReadText(SourcePath("tests/e2e/expected/sample-report.txt"));
  ASSERT_FALSE(expected.empty());
  const std::string work_relative =
      std::filesystem::relative(Sample().base, Sample().work).string();

  for (const std::string& given : {Sample().base, work_relative}) {
    SCOPED_TRACE(given);
    const BatchResult result = RunBatch(Sample().work, {"--batch", given});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, expected);
    // The file keeps the tool's CR LF line ends and has no break after the last line.
    EXPECT_EQ(ReadText(Sample().base + "eichwald.txt") + "\r\n", WithCrLf(result.out));

    std::string progress;
    const auto count = Sample().entries.size();
    for (size_t i = 0; i < count; ++i) {
      progress += std::to_string(i + 1) + " / " + std::to_string(count) + "   " +
                  Sample().entries[i].folder + "\n";
    }
    EXPECT_EQ(result.err, progress + "Report written to " + Sample().base + "eichwald.txt\n" +
                              "Chart written to " + Sample().base + "eichwald.png\n");
  }
}

TEST_F(SampleRun, GoogleParametersArePrintedInsteadOfTheReport) {
  const BatchResult result = Run({"--google"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, ReadText(SourcePath("tests/e2e/expected/sample-google.txt")));
  EXPECT_NE(result.err.find("Report written to"), std::string::npos);
}

TEST_F(SampleRun, GoogleWithoutTemplateIsAFailure) {
  const std::string bare = Sample().dir.MakeDir("bare-work");
  const BatchResult result = RunBatch(bare, {"--batch", Sample().base, "--google"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find(bare + "google_charts.txt cannot be read"), std::string::npos)
      << result.err;
}

TEST_F(SampleRun, ChartHasABarPerTimedEntryGrowingWithTheTime) {
  const BatchResult result = Run();
  ASSERT_EQ(result.status, 0) << result.err;
  const std::vector<std::string> ranking = RankingLines(result.out);
  ASSERT_EQ(ranking.size(), 7u);  // the entrant without a track file has no result

  const auto png = ReadPng(ReadText(Sample().base + "eichwald.png"));
  ASSERT_TRUE(png.has_value());
  EXPECT_EQ(png->chunks.front(), "IHDR");
  EXPECT_EQ(png->chunks.back(), "IEND");
  EXPECT_TRUE(std::all_of(png->chunks.begin() + 1, png->chunks.end() - 1,
                          [](const std::string& type) { return type == "IDAT"; }));
  EXPECT_EQ(png->width, 450);
  EXPECT_EQ(png->height, 30 * 7 + 80);
  ASSERT_FALSE(png->rgb.empty());

  int previous_time = 0, previous_bar = 0;
  for (size_t rank = 0; rank < ranking.size(); ++rank) {
    SCOPED_TRACE(ranking[rank]);
    const int time = std::stoi(ranking[rank].substr(ranking[rank].find(" - ") + 3, 4));
    const int y = 30 + 30 * static_cast<int>(rank) + 7;
    int bar = 0;
    for (int x = 0; x < png->width; ++x) bar += png->At(x, y) == kBarBlue ? 1 : 0;
    if (time >= 6000) {
      EXPECT_EQ(bar, 0);
      continue;
    }
    EXPECT_GT(bar, 0);
    if (time == previous_time) {
      EXPECT_EQ(bar, previous_bar);
    }
    if (time > previous_time) {
      EXPECT_GT(bar, previous_bar);
    }
    previous_time = time;
    previous_bar = bar;
  }
}

TEST_F(SampleRun, PicturesAreSavedForEveryEntryWithATrackFile) {
  const std::string pictures = Sample().dir.Path() + "pictures/of/run";
  const BatchResult result = Run({"--pictures", pictures});
  ASSERT_EQ(result.status, 0) << result.err;

  std::set<std::string> expected, written;
  for (const auto& entry : Sample().entries) {
    if (entry.has_track) expected.insert(entry.folder + ".png");
  }
  for (const auto& file : std::filesystem::directory_iterator(pictures)) {
    written.insert(file.path().filename().string());
    const auto png = ReadPng(ReadText(file.path().string()));
    ASSERT_TRUE(png.has_value()) << file.path();
    EXPECT_EQ(png->width, 512);
    EXPECT_EQ(png->height, 560);
  }
  EXPECT_EQ(written, expected);
  EXPECT_NE(result.err.find(std::to_string(expected.size()) + " track pictures written to " +
                            pictures + "/\n"),
            std::string::npos)
      << result.err;
}

TEST_F(SampleRun, APictureThatCannotBeWrittenIsNamed) {
  const std::string pictures = Sample().dir.Path() + "pictures-blocked/";
  std::filesystem::create_directories(pictures +
                                      "anna.png/kept");  // a folder where anna's picture goes
  const BatchResult result = Run({"--pictures", pictures});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("could not write the picture " + pictures + "anna.png\n"),
            std::string::npos)
      << result.err;
  size_t with_track = 0;
  for (const auto& entry : Sample().entries) with_track += entry.has_track ? 1 : 0;
  EXPECT_NE(result.err.find(std::to_string(with_track - 1) + " track pictures written to " +
                            pictures + "\n"),
            std::string::npos)
      << result.err;
  EXPECT_TRUE(std::filesystem::exists(pictures + "anna.png/kept"));
}

TEST_F(SampleRun, PenaltiesReachTheRanking) {
  struct Case {
    std::vector<std::string> penalties;
    std::vector<std::string> ranking_lines;  // that must appear
    std::string message;                     // on stderr, "" for none
  };
  const std::vector<Case> cases = {
      {{"hugo=6000"}, {"1 - 4987 Bert", "6 - 6000 Cleo", "7 - 6000 Hugo ##"}, ""},
      {{"bert=5000", "anna=4000"}, {"1 - 4000 Anna ##", "2 - 4712 Hugo", "3 - 5000 Bert ##"}, ""},
      // No result line to rewrite: the ranking stays as it was.
      {{"emil=4000"}, {"1 - 4712 Hugo", "7 - 6000 Cleo"}, "emil has no valid track file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.penalties.front());
    std::vector<std::string> args;
    for (const std::string& penalty : c.penalties) args.insert(args.end(), {"--penalty", penalty});
    const BatchResult result = Run(args);
    EXPECT_EQ(result.status, 0) << result.err;
    const std::vector<std::string> ranking = RankingLines(result.out);
    EXPECT_EQ(ranking.size(), 7u);
    for (const std::string& line : c.ranking_lines) {
      EXPECT_NE(std::find(ranking.begin(), ranking.end(), line), ranking.end()) << line;
    }
    if (!c.message.empty()) {
      EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
  }
}

}  // namespace
}  // namespace hl::testing
