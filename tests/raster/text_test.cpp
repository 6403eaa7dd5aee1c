#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "tests/raster/pixel_sets.h"
#include "toolkit/raster/draw.h"
#include "toolkit/raster/font.h"

namespace hl::raster {
namespace {

using testing::BlankImage;
using testing::kBlack;
using testing::kBlue;
using testing::kRed;
using testing::kWhite;
using testing::kYellow;
using testing::PixelsOfColor;

const Font& LogFont() {
  static const Font font = LoadLogFont().value();
  return font;
}

const Font& LabelFont() {
  static const Font font = LoadLabelFont().value();
  return font;
}

// Both fonts must be installed for the tool to start at all.
TEST(Fonts, LoadWithTheirScreenPixelSizes) {
  for (const Result<Font>& loaded : {LoadLogFont(), LoadLabelFont()}) {
    ASSERT_TRUE(loaded) << loaded.error().Describe();
  }
  // 12 pt and 10 pt at 96 dpi.
  EXPECT_GE(LogFont().LineHeight(), 16);
  EXPECT_GE(LabelFont().LineHeight(), 13);
  for (const Font* font : {&LogFont(), &LabelFont()}) {
    EXPECT_GT(font->Ascent(), 0);
    EXPECT_LT(font->Ascent(), font->LineHeight());
  }
}

TEST(Text, WidthGrowsWithEveryCharacter) {
  for (const Font* font : {&LogFont(), &LabelFont()}) {
    EXPECT_EQ(font->TextWidth(""), 0);
    EXPECT_EQ(font->TextWidth("iiii") == font->TextWidth("MMMM"), font == &LogFont())
        << "monospaced?";
    const std::string text = "1.: 59.87 Fahrer Max";
    int previous = 0;
    for (size_t length = 1; length <= text.size(); ++length) {
      const int width = font->TextWidth(std::string_view(text).substr(0, length));
      EXPECT_GT(width, previous) << length;
      previous = width;
    }
  }
}

// An opaque background fills exactly the text cell; a transparent one keeps
// every pixel but the glyphs. Glyph pixels are the same in both cases and
// exactly the front colour (no anti-aliasing).
TEST(Text, CellBackgroundAndGlyphPixels) {
  const std::string text = "Best 59.87";
  const int width = LabelFont().TextWidth(text);
  const int height = LabelFont().LineHeight();
  std::optional<testing::PixelSet> glyphs;
  for (const std::optional<Color> background :
       {std::optional<Color>(kWhite), std::optional<Color>(kYellow), std::optional<Color>()}) {
    const std::string name = background ? std::to_string(*background) : "transparent";
    Image image = BlankImage(200, 40, kBlue);
    DrawText(image, LabelFont(), 10, 5, text, kRed, background);
    for (int y = 0; y < image.Height(); ++y) {
      for (int x = 0; x < image.Width(); ++x) {
        const bool in_cell = x >= 10 && x < 10 + width && y >= 5 && y < 5 + height;
        const Color pixel = image.At(x, y);
        const Color back = in_cell ? background.value_or(kBlue) : kBlue;
        ASSERT_TRUE(pixel == back || (in_cell && pixel == kRed)) << name << " at " << x << "," << y;
      }
    }
    const testing::PixelSet red = PixelsOfColor(image, kRed);
    EXPECT_GT(red.size(), 20u) << name;
    if (!glyphs) glyphs = red;
    EXPECT_EQ(red, *glyphs) << name;
  }
}

TEST(Text, DrawsNothingForEmptyTextAndClipsAtTheEdges) {
  Image image = BlankImage(30, 10);
  DrawText(image, LogFont(), 2, 2, "", kRed, kWhite);
  EXPECT_EQ(testing::CountOfColor(image, kBlack), 300u);
  for (const auto& [x, y] :
       std::vector<std::pair<int, int>>{{-20, -8}, {25, 5}, {INT_MAX - 5, 0}, {0, INT_MIN}}) {
    DrawText(image, LogFont(), x, y, "Wg\xC3\xA4\xFF", kRed, kWhite);
  }
  SUCCEED();
}

TEST(Text, MalformedUtf8IsMeasuredAsReplacementCharacters) {
  const int one = LogFont().TextWidth("\xEF\xBF\xBD");  // U+FFFD itself
  EXPECT_GT(one, 0);
  EXPECT_EQ(LogFont().TextWidth("\xFF"), one);
  EXPECT_EQ(LogFont().TextWidth("\xC3"), one);              // truncated sequence
  EXPECT_EQ(LogFont().TextWidth("\xC0\xAF"), 2 * one);      // overlong "/"
  EXPECT_EQ(LogFont().TextWidth("\xED\xA0\x80"), 3 * one);  // surrogate
}

TEST(FontLoad, MissingFamilyFailsWithItsName) {
  const Result<Font> font = Font::Load("Hotlap Nonexistent Face", false, 12);
  ASSERT_FALSE(font);
  EXPECT_NE(font.error().Describe().find("Hotlap Nonexistent Face"), std::string::npos);
}

}  // namespace
}  // namespace hl::raster
