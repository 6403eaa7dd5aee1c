#include "results/chart.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <string>
#include <vector>

#include "results/chart_scale.h"
#include "results/chart_texts.h"
#include "tests/support/test_app.h"

namespace hl::results {
namespace {

constexpr raster::Color kWhite = raster::Rgb(255, 255, 255);
constexpr raster::Color kBlack = raster::Rgb(0, 0, 0);
constexpr raster::Color kBlue = raster::Rgb(0, 0, 255);

TEST(ChartTexts, LabelsScaleValuesAndSaveMessages) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {ChartRowLabel("0987 Bert"), "9.87 Bert"},
      {ChartRowLabel("5987 Anna"), "59.87 Anna"},
      {ChartRowLabel("10000 Dora"), "100.00 Dora"},
      {ChartRowLabel("87 Eve"), "0.87 Eve"},
      {ChartRowLabel("987"), "9.87"},
      {ChartRowLabel("-150 N"), "-1.50 N"},
      {ChartRowLabel("DNF Cleo"), "DNF Cleo"},
      {ChartRowLabel("Bert ##"), "Bert ##"},
      {ChartRowLabel("59x7 Al"), "59x7 Al"},
      {ScaleValueText(850), "8.50"},
      {ScaleValueText(-50), "-.50"},
      {ScaleValueText(25), ".25"},
      {ScaleValueText(6200), "62.00"},
      {SaveMessage("M", true, true), "M.txt/png gespeichert"},
      {SaveMessage("M", false, true), "M.txt nicht gespeichert"},
      {SaveMessage("M", true, false), "M.png nicht gespeichert"},
      {SaveMessage("M", false, false), "M.txt/png nicht gespeichert"},
  };
  for (const auto& [actual, expected] : cases) EXPECT_EQ(actual, expected);
}

TEST(ChartScale, RoundsTheEndsWithoutOverflow) {
  const std::vector<std::pair<int32_t, int32_t>> cases = {
      {RoundScaleMin(905), 850},   {RoundScaleMin(987), 900},
      {RoundScaleMin(910), 900},   {RoundScaleMin(-30), -50},
      {RoundScaleMax(6120), 6200}, {RoundScaleMax(6100), 6200},
      {RoundScaleMax(0), 100},     {RoundScaleMin(INT32_MIN + 5), 2147483646},
  };
  for (const auto& [actual, expected] : cases) EXPECT_EQ(actual, expected);
}

// libpng's own reading of the saved file: chunk kinds in order and pixels.
struct PngFile {
  std::vector<std::string> chunk_kinds;
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
};

PngFile ReadPng(const std::vector<uint8_t>& bytes) {
  PngFile png;
  for (size_t at = 8; at + 8 <= bytes.size();) {
    const std::string kind(bytes.begin() + static_cast<long>(at) + 4,
                           bytes.begin() + static_cast<long>(at) + 8);
    if (png.chunk_kinds.empty() || png.chunk_kinds.back() != kind) png.chunk_kinds.push_back(kind);
    at += 12 + ((size_t{bytes[at]} << 24) | (size_t{bytes[at + 1]} << 16) |
                (size_t{bytes[at + 2]} << 8) | bytes[at + 3]);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return png;
  image.format = PNG_FORMAT_RGB;
  png.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, png.rgb.data(), 0, nullptr)) return png;
  png.width = static_cast<int>(image.width);
  png.height = static_cast<int>(image.height);
  return png;
}

class ChartTest : public ::testing::Test {
 protected:
  ChartTest() {
    app.s.BaseDir = app.work.MakeDir("base");
    app.s.TrackBaseName = "Monza";
    app.s.ReportSaved = true;
  }
  const raster::Image& Chart(const std::vector<std::string>& entries) {
    for (const auto& entry : entries) app.s.RankingList.Append(entry);
    DrawChart(app.s, app.ui);
    return *app.s.Images.Get(state::id::kLineImage);
  }
  int Width(const std::string& text) { return app.s.LabelFont->TextWidth(text); }
  testing::TestApp app;
};

TEST_F(ChartTest, WithoutEntriesDrawsTheAxesAndACentredScale) {
  const raster::Image& image = Chart({});
  ASSERT_EQ(image.Width(), 450);
  ASSERT_EQ(image.Height(), 80);
  EXPECT_EQ(app.s.ChartMin, -50);
  EXPECT_EQ(app.s.ChartMax, 100);
  EXPECT_EQ(image.At(0, 0), kWhite);
  EXPECT_EQ(image.At(30, 29), kWhite);
  EXPECT_EQ(image.At(429, 30), kBlack);
  EXPECT_EQ(image.At(431, 30), kWhite);
  for (const auto& [x, text] :
       std::vector<std::pair<int, std::string>>{{30, "-.50"}, {230, ".25"}, {430, "1.00"}}) {
    for (int y = 30; y < 35; ++y) EXPECT_EQ(image.At(x, y), kBlack) << x << "," << y;
    EXPECT_EQ(image.At(x, 35), kWhite) << x;
    // The glyphs stay within the text's cell, centred under the tick.
    const int left = x - Width(text) / 2;
    int dark = 0;
    for (int y = 40; y < 40 + app.s.LabelFont->LineHeight(); ++y) {
      for (int dx = -30; dx < 30; ++dx) {
        if (image.Inside(x + dx, y) && image.At(x + dx, y) != kWhite) {
          ++dark;
          EXPECT_TRUE(x + dx >= left && x + dx < left + Width(text)) << text << " at " << x + dx;
        }
      }
    }
    EXPECT_GT(dark, 0) << text;
  }
}

TEST_F(ChartTest, BarsScaleWithTimeAndSkipNonTimes) {
  const raster::Image& image =
      Chart({"6012 Cleo", "5987 Anna", "0 Zero", "0987 Bert", "6000 Dan ##", "10000 Dora"});
  EXPECT_EQ(app.s.RankingList.Items().back(), "10000 Dora");
  EXPECT_EQ(app.s.ChartMin, -50);
  EXPECT_EQ(app.s.ChartMax, 6000);
  int widest = 0;
  for (const char* label :
       {"0.00 Zero", "9.87 Bert", "59.87 Anna", "60.00 Dan ##", "60.12 Cleo", "100.00 Dora"}) {
    widest = std::max(widest, Width(label));
  }
  const int x0 = widest + 30;
  auto bar_end = [&](int y) {
    int x = x0;
    while (image.At(x, y) == kBlue) ++x;
    return x;
  };
  const std::vector<int> expected_ends = {
      x0, x0 + (400 - widest) * 1037 / 6050, x0 + (400 - widest) * 6037 / 6050, x0, x0, x0};
  for (int row = 0; row < 6; ++row) {
    EXPECT_EQ(bar_end(30 + 30 * row), expected_ends[row]) << row;
    EXPECT_EQ(bar_end(30 + 30 * row + 14), expected_ends[row]) << row;
    EXPECT_NE(image.At(x0, 30 + 30 * row + 15), kBlue) << row;
  }
}

TEST_F(ChartTest, ABarOfNegativeLengthPaintsNothing) {
  const raster::Image& image = Chart({"0987 Bert"});  // scale 9.00 down to 1.00
  EXPECT_EQ(app.s.ChartMax, 100);
  for (int x = 0; x < image.Width(); ++x) EXPECT_NE(image.At(x, 30), kBlue) << x;
}

TEST_F(ChartTest, SavedPngHoldsExactlyTheChart) {
  std::vector<std::string> entries;
  for (int i = 0; i < 20; ++i) entries.push_back(std::to_string(1000 + 200 * i) + " D");
  const raster::Image& image = Chart(entries);
  ASSERT_TRUE(app.s.ChartSaved);
  const PngFile png = ReadPng(app.work.ReadFile("base/Monza.png"));
  EXPECT_EQ(png.chunk_kinds, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  ASSERT_EQ(png.width, 450);
  ASSERT_EQ(png.height, 30 * 20 + 80);
  EXPECT_EQ(png.rgb, image.Pixels());
  const auto pixel = [&](int x, int y) {
    const auto at = png.rgb.begin() + (static_cast<long>(y) * 450 + x) * 3;
    return std::vector<uint8_t>(at, at + 3);
  };
  EXPECT_EQ(pixel(300, 30 * 19 + 35), (std::vector<uint8_t>{0, 0, 255}));
  EXPECT_EQ(pixel(449, png.height - 1), (std::vector<uint8_t>{255, 255, 255}));
  EXPECT_EQ(app.ui.ShownImageSize(state::id::kLineView)->height, png.height);
}

TEST_F(ChartTest, AFolderInThePlaceOfTheChartSurvivesAndIsReported) {
  app.work.WriteFile("base/Monza.png/keep", "old");
  Chart({"0987 Bert"});
  EXPECT_FALSE(app.s.ChartSaved);
  EXPECT_EQ(app.work.ReadFile("base/Monza.png/keep"), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_TRUE(app.ui.ShownImageSize(state::id::kLineView).has_value());
  EXPECT_TRUE(app.ui.ShownImageSize(state::id::kProgressView).has_value());
}

}  // namespace
}  // namespace hl::results
