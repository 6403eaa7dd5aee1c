#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <utility>

#include "toolkit/text/text.h"

namespace hl::text {
namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

TEST(FormatNumbers, IntegersAndHundredthsOverTheWholeRange) {
  EXPECT_EQ(FormatInteger(0), "0");
  EXPECT_EQ(FormatInteger(-2147483648LL), "-2147483648");
  EXPECT_EQ(FormatInteger(kMin), "-9223372036854775808");
  const std::pair<int64_t, const char*> hundredths[] = {{5987, "59.87"},
                                                        {87, "0.87"},
                                                        {10000, "100.00"},
                                                        {-150, "-1.50"},
                                                        {0, "0.00"},
                                                        {-5, "-0.05"},
                                                        {kMin, "-92233720368547758.08"},
                                                        {kMax, "92233720368547758.07"}};
  for (const auto& [value, text] : hundredths) EXPECT_EQ(FormatHundredths(value), text) << value;
}

TEST(FormatFixed, RoundsTheStoredFloatLikePrintf) {
  const std::tuple<float, int, const char*> cases[] = {
      {0.0f, 2, "0.00"},
      {1234 / 100.0f, 2, "12.34"},
      {5 / 100.0f, 2, "0.05"},
      {-1.5f, 2, "-1.50"},
      {-0.001f, 2, "-0.00"},
      {2.6f, 0, "3"},
      {1.5f, -1, "1.500000"},
      // The float nearest 0.1 lies above it; its exact digits must show.
      {0.1f, 20, "0.10000000149011611938"},
  };
  for (const auto& [value, decimals, text] : cases) EXPECT_EQ(FormatFixed(value, decimals), text);
  EXPECT_EQ(FormatFixed(1.0f, 600), "1." + std::string(512, '0'));
}

TEST(ParseInteger, ReadsSignBaseAndDigitsUntilTheFirstStranger) {
  const std::pair<const char*, int64_t> cases[] = {
      {"", 0},
      {"\t 12", 12},
      {"  -42abc", -42},
      {"+7", 7},
      {"$ff", 255},
      {"-$1F", -31},
      {"%101", 5},
      {"%102", 2},
      {"- 5", 0},
      {"--5", 0},
      {"0x10", 0},
      {"12.75", 12},
      {"\n12", 0},
      {"9223372036854775807", kMax},
      {"-9223372036854775808", kMin},
      {"9223372036854775808", kMin},
      {"$FFFFFFFFFFFFFFFF", -1},
      {"99999999999999999999", 7766279631452241919LL},  // 10^20 - 1 modulo 2^64
  };
  for (const auto& [text, value] : cases)
    EXPECT_EQ(ParseInteger(text), value) << '"' << text << '"';
}

}  // namespace
}  // namespace hl::text
