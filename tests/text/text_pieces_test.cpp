#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "toolkit/text/text.h"

namespace hl::text {
namespace {

constexpr int64_t kHuge = std::numeric_limits<int64_t>::max();

TEST(TextPieces, ClampCountsAndStarts) {
  EXPECT_EQ(TrimSpaces("  a b  "), "a b");
  EXPECT_EQ(TrimSpaces(" a\t"), "a\t");
  EXPECT_EQ(TrimSpaces("   "), "");
  EXPECT_EQ(LeadingPart("abc", 5), "abc");
  EXPECT_EQ(LeadingPart("abc", -1), "");
  EXPECT_EQ(TrailingPart("ab", 3), "ab");
  EXPECT_EQ(TrailingPart("abc", 2), "bc");
  EXPECT_EQ(TrailingPart("abc", -4), "");
  EXPECT_EQ(MiddlePart("abcdef", 0, 2), "ab");
  EXPECT_EQ(MiddlePart("abcdef", 5, 10), "ef");
  EXPECT_EQ(MiddlePart("abcdef", 7, 1), "");
  EXPECT_EQ(MiddlePart("abcdef", 2, -1), "");
  EXPECT_EQ(MiddlePart("abcdef", -kHuge, kHuge), "abcdef");
  EXPECT_EQ(MiddlePart("abcdef", kHuge, kHuge), "");
}

TEST(LowerCase, LowersAsciiAndLatin1CapitalsOnly) {
  EXPECT_EQ(LowerCase("X.TRK [@Z]"), "x.trk [@z]");
  EXPECT_EQ(LowerCase("\xC3\x84rger \xC3\x9E"), "\xC3\xA4rger \xC3\xBE");  // Ä Þ
  EXPECT_EQ(LowerCase("\xC3\x9F \xC4\x80"), "\xC3\x9F \xC4\x80");          // ß Ā stay
  EXPECT_EQ(LowerCase("\xE2\x82\xAC"
                      "A\xC3"),
            "\xE2\x82\xAC"
            "a\xC3");  // € and a cut sequence
}

TEST(FindAndReplace, MatchCaseAndNeverOverlap) {
  EXPECT_EQ(FindText("abcabc", "c", 4), 6);
  EXPECT_EQ(FindText("abcabc", "c", 0), 3);
  EXPECT_EQ(FindText("abcabc", "C", 1), 0);
  EXPECT_EQ(FindText("abcabc", "", 1), 0);
  EXPECT_EQ(FindText("abc", "c", 4), 0);
  EXPECT_EQ(FindText("abc", "bcd", 1), 0);
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("a.b", ".", ".."), "a..b");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

TEST(FieldAt, SplitsOnEverySeparatorWithoutCollapsing) {
  const std::tuple<const char*, int64_t, const char*, const char*> cases[] = {
      {"1234 Name", 1, " ", "1234"}, {"1234 Name", 2, " ", "Name"}, {"1234 Name", 0, " ", "1234"},
      {"a  b", 2, " ", ""},          {"a  b", 3, " ", "b"},         {"abc", 2, " ", ""},
      {"a;b", 2, ";x", "b"},         {"a b", 1, "", "a b"},         {"a b", 2, "", ""},
      {"a b", kHuge, " ", ""},
  };
  for (const auto& [text, index, separator, field] : cases) {
    EXPECT_EQ(FieldAt(text, index, separator), field) << '"' << text << "\" #" << index;
  }
}

TEST(Cp1252ToUtf8, MapsEveryByteToItsCharacter) {
  EXPECT_EQ(Cp1252ToUtf8("A\x80\x8A\x99"), "A\xE2\x82\xAC\xC5\xA0\xE2\x84\xA2");  // € Š ™
  EXPECT_EQ(Cp1252ToUtf8("\x81\x9D"), "\xC2\x81\xC2\x9D");  // undefined in the code page
  EXPECT_EQ(Cp1252ToUtf8("\xA0\xC4\xFF"), "\xC2\xA0\xC3\x84\xC3\xBF");
}

}  // namespace
}  // namespace hl::text
