// Run-length encoded BMPs (RLE8 and RLE4), as image converters write them
// for pictures of 256 and 16 colours.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/raster/bmp_builder.h"
#include "toolkit/raster/image_files.h"

namespace hl::raster {
namespace {

using testing::BmpLayout;
using testing::BuildBmp;
using testing::BuildBmpWithData;
using testing::EncodeRle;

constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;

// No entry is black, so black always means "not reached".
std::vector<Color> Palette(int count) {
  std::vector<Color> colours;
  for (int i = 0; i < count; ++i) colours.push_back(Rgb(i + 1, 255 - i, (i * 37) % 256));
  return colours;
}

// Long runs, single pixels, alternating pairs and stretches of noise.
uint8_t PatternIndex(int x, int y, int colours) {
  if (y % 4 == 2) return static_cast<uint8_t>(x % 2 == 0 ? 3 : 7);
  if ((x * 7 + y * 3) % 11 == 0) return static_cast<uint8_t>((x * y + 5) % colours);
  return static_cast<uint8_t>((x / 9 + y) % colours);
}

TEST(DecodeRleBmp, GivesThePixelsOfTheUncompressedPicture) {
  for (const int bits : {8, 4}) {
    for (const int height : {13, -13}) {
      SCOPED_TRACE(std::to_string(bits) + " bits, height " + std::to_string(height));
      const int width = 300;  // runs longer than one count byte holds
      const int colours = bits == 8 ? 256 : 16;
      const BmpLayout plain{
          .width = width, .height = height, .bits = bits, .palette = Palette(colours)};
      // Rows in file order: bottom-up unless the height is negative.
      std::vector<std::vector<uint8_t>> rows;
      for (int r = 0; r < 13; ++r) {
        const int y = height < 0 ? r : 12 - r;
        std::vector<uint8_t> row;
        for (int x = 0; x < width; ++x) row.push_back(PatternIndex(x, y, colours));
        rows.push_back(row);
      }
      BmpLayout packed = plain;
      packed.compression = bits == 8 ? kRle8 : kRle4;

      const auto expected =
          DecodeBmp(BuildBmp(plain, [&](int x, int y) { return PatternIndex(x, y, colours); }));
      const auto decoded = DecodePicture(BuildBmpWithData(packed, EncodeRle(rows, bits)));
      ASSERT_TRUE(expected.has_value());
      ASSERT_TRUE(decoded.has_value());
      EXPECT_TRUE(decoded->Pixels() == expected->Pixels());
    }
  }
}

struct EscapeCase {
  const char* name;
  int bits;
  int height;  // negative: top-down
  std::vector<uint8_t> data;
  std::vector<std::string> expected;  // top row first: palette index in hex, "." black
};

// Pictures 6 pixels wide and 3 high.
std::vector<EscapeCase> EscapeCases() {
  return {
      {"runs, end of line, end of bitmap",
       8,
       3,
       {2, 1, 4, 2, 0, 0, 6, 3, 0, 0, 0, 1},
       {"......", "333333", "112222"}},
      {"the same top-down",
       8,
       -3,
       {2, 1, 4, 2, 0, 0, 6, 3, 0, 0, 0, 1},
       {"112222", "333333", "......"}},
      {"absolute run padded to 16 bits",
       8,
       3,
       {0, 3, 5, 6, 7, 0, 1, 8, 0, 1},
       {"......", "......", "5678.."}},
      {"delta skips pixels, which stay black",
       8,
       3,
       {1, 1, 0, 2, 2, 1, 1, 2, 0, 1},
       {"......", "...2..", "1....."}},
      {"an index beyond the palette is black",
       8,
       3,
       {1, 32, 1, 1, 0, 1},
       {"......", "......", ".1...."}},
      {"a run past the right edge ends the decoding",
       8,
       3,
       {5, 1, 3, 2, 0, 0, 6, 3, 0, 1},
       {"......", "......", "111112"}},
      {"a delta past the right edge ends the decoding",
       8,
       3,
       {1, 1, 0, 2, 6, 0, 1, 2, 0, 1},
       {"......", "......", "1....."}},
      {"a delta past the last row ends the decoding",
       8,
       3,
       {1, 1, 0, 2, 0, 3, 1, 2, 0, 1},
       {"......", "......", "1....."}},
      {"rows beyond the picture are not painted",
       8,
       3,
       {6, 1, 0, 0, 6, 2, 0, 0, 6, 3, 0, 0, 6, 4, 0, 1},
       {"333333", "222222", "111111"}},
      {"cut off inside an absolute run", 8, 3, {1, 1, 0, 5, 7, 8}, {"......", "......", "178..."}},
      {"cut off inside a pair", 8, 3, {2, 1, 0}, {"......", "......", "11...."}},
      {"RLE4 runs alternate the two halves",
       4,
       3,
       {3, 0x12, 3, 0x34, 0, 0, 0, 5, 0x45, 0x67, 0x80, 0, 0, 1},
       {"......", "45678.", "121343"}},
      {"RLE4 top-down with a delta",
       4,
       -3,
       {2, 0x9A, 0, 2, 1, 1, 3, 0xBB, 0, 1},
       {"9A....", "...BBB", "......"}},
      {"RLE4 run past the right edge",
       4,
       3,
       {7, 0xCD, 2, 0xEE, 0, 1},
       {"......", "......", "CDCDCD"}},
  };
}

TEST(DecodeRleBmp, FollowsTheEscapesAndStaysInsideThePicture) {
  const std::vector<Color> palette = Palette(16);
  for (const EscapeCase& c : EscapeCases()) {
    SCOPED_TRACE(c.name);
    const BmpLayout layout{.width = 6,
                           .height = c.height,
                           .bits = c.bits,
                           .compression = c.bits == 8 ? kRle8 : kRle4,
                           .palette = palette};
    const std::optional<Image> image = DecodeBmp(BuildBmpWithData(layout, c.data));
    ASSERT_TRUE(image.has_value());
    ASSERT_EQ(image->Width(), 6);
    ASSERT_EQ(image->Height(), 3);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 6; ++x) {
        const char cell = c.expected[static_cast<size_t>(y)][static_cast<size_t>(x)];
        const Color expected =
            cell == '.' ? Rgb(0, 0, 0) : palette[std::stoul(std::string(1, cell), nullptr, 16)];
        EXPECT_EQ(image->At(x, y), expected) << "at " << x << "," << y;
      }
    }
  }
}

TEST(DecodeRleBmp, RunLengthNeedsItsOwnDepth) {
  for (const auto& [bits, compression] :
       std::vector<std::pair<int, uint32_t>>{{4, kRle8}, {8, kRle4}, {24, kRle8}}) {
    const BmpLayout layout{
        .width = 6, .height = 3, .bits = bits, .compression = compression, .palette = Palette(16)};
    EXPECT_FALSE(DecodeBmp(BuildBmpWithData(layout, {0, 1})).has_value()) << bits << " bits";
  }
}

}  // namespace
}  // namespace hl::raster
