#include <gtest/gtest.h>

#include "toolkit/text/error.h"

namespace hl {
namespace {

TEST(Error, DescribeNamesWhereWhenKnown) {
  EXPECT_EQ((Error{"no file given", "", {}}).Describe(), "no file given");
  EXPECT_EQ((Error{"cannot open", "a.dat", {}}).Describe(), "a.dat: cannot open");
  EXPECT_EQ((Error{"truncated", "a.dat", 0}).Describe(), "a.dat, offset 0: truncated");
  EXPECT_EQ((Error{"bad marker", "", 17}).Describe(), "offset 17: bad marker");
}

TEST(Error, ResultCarriesEitherSide) {
  const auto half = [](int n) -> Result<int> {
    if (n % 2) return Fail({"odd", "", n});
    return n / 2;
  };
  EXPECT_EQ(half(4).value(), 2);
  ASSERT_FALSE(half(3));
  EXPECT_EQ(half(3).error().offset, 3);
}

}  // namespace
}  // namespace hl
