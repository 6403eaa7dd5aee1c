#include "app/clipboard_copy.h"

#include <gtest/gtest.h>

#include "tests/support/test_app.h"

namespace hl::app {
namespace {

struct CopyCase {
  const char* name;
  std::string log;
  std::string copied;
  std::string byte_count;
};

TEST(CopyResults, CopiesUpToTheFirstEmptyLineAndCountsEverything) {
  const std::vector<CopyCase> cases = {
      {"three lines", "a\r\nb\r\nc", "abc", "7 Byte"},
      {"stops at an empty line", "cht=bhs\r\n\r\nrest\r\nmore", "cht=bhs", "21 Byte"},
      {"leading empty line", "\r\nb\r\nc\r\n\r\nd", "bc", "11 Byte"},
      {"one-character lines", "x\r\ny\r\nz\r\nw", "xyzw", "10 Byte"},
      {"single line", "&chd=t:9.87", "&chd=t:9.87", "11 Byte"},
      {"emptied log", "", "", "0 Byte"},
      {"eight-bit text",
       "Gr\xC3\xBC\xC3\x9F"
       "e\r\nx",
       "Gr\xC3\xBC\xC3\x9F"
       "ex",
       "10 Byte"},
  };
  for (const CopyCase& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TestApp app;
    app.ui.SetText(state::id::kLogBox, c.log);
    CopyResults(app.s, app.ui);
    EXPECT_EQ(app.ui.Clipboard(), c.copied);
    EXPECT_EQ(app.ui.ReadText(state::id::kPenaltyField), c.byte_count);
    EXPECT_EQ(app.s.GoogleText, c.log);
  }
}

}  // namespace
}  // namespace hl::app
