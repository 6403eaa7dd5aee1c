#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

#include "toolkit/files/byte_view.h"
#include "toolkit/files/data_buffer.h"

namespace hl::files {
namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

TEST(ByteView, ReadsLittleEndianValuesInsideOnly) {
  const std::vector<uint8_t> bytes = {0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12};
  const ByteView view(bytes);
  EXPECT_EQ(view.GetU8(0), 255);
  EXPECT_EQ(view.GetI8(0), -1);
  EXPECT_EQ(view.GetI16(0), -1);
  EXPECT_EQ(view.GetI32(2), 0x12345678);
  EXPECT_EQ(view.GetI16(5), std::nullopt);
  for (const int64_t position : {int64_t{-1}, int64_t{6}, kMax, kMax - 2, -kMax}) {
    EXPECT_EQ(view.GetI32(position), std::nullopt) << position;
    EXPECT_EQ(view.GetTextAt(position, 4), "") << position;
  }
  EXPECT_FALSE(view.Slice(4, kMax));
}

TEST(ByteView, TextStopsAtWidthZeroOrEnd) {
  constexpr std::string_view kRaw("ABC\0DEFGHIJKLMNOP", 17);
  const std::vector<uint8_t> bytes(kRaw.begin(), kRaw.end());
  const ByteView view(bytes);
  EXPECT_EQ(view.GetTextAt(0, 12), "ABC");
  EXPECT_EQ(view.GetTextAt(4, 12), "DEFGHIJKLMNO");
  EXPECT_EQ(view.GetTextAt(4, 100), "DEFGHIJKLMNOP");
  EXPECT_EQ(view.GetTextAt(0, -3), "");
}

TEST(DataBuffer, StartsZeroedWithClampedLoadedViews) {
  const auto buffer = DataBuffer::Allocate();
  ASSERT_TRUE(buffer);
  buffer->CarArea()[0] = 7;
  EXPECT_EQ(buffer->LoadedCar(10).GetU8(0), 7);
  EXPECT_EQ(buffer->LoadedFile(kMax).Size(), 1'900'000);
  EXPECT_EQ(buffer->LoadedFile(kMax).GetU8(1'899'999), 0);
  EXPECT_EQ(buffer->LoadedCar(kMax).Size(), 100'000);
  EXPECT_EQ(buffer->LoadedFile(-5).Size(), 0);
}

}  // namespace
}  // namespace hl::files
