// Equal lists from one pool share their items; lists compare by their items
// wherever they came from.

#include <gtest/gtest.h>

#include "record/competition_record.h"

namespace hl::testing {
namespace {

using record::GhostPoint;
using Points = std::vector<GhostPoint>;

TEST(SharedList, EqualListsFromOnePoolShareTheirItemsAndOthersDoNot) {
  record::SharedListPool<GhostPoint> pool;
  const Points lap = {{1, 2}, {3, 4}};
  const auto first = pool.Share(lap);
  const auto again = pool.Share(Points(lap));
  const auto other = pool.Share(Points{{1, 2}, {3, 5}});
  const auto shorter = pool.Share(Points{{1, 2}});
  const auto none = pool.Share(Points{});

  EXPECT_EQ(first.Items().data(), again.Items().data());
  EXPECT_NE(first.Items().data(), other.Items().data());
  for (const auto* different : {&other, &shorter, &none}) EXPECT_FALSE(first == *different);
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(none, record::SharedList<GhostPoint>());
  // A list of its own equals a pooled one with the same items.
  EXPECT_EQ(record::SharedList<GhostPoint>(lap), first);
  EXPECT_EQ(again.size(), 2u);
  EXPECT_EQ(again.Items()[1], (GhostPoint{3, 4}));
}

}  // namespace
}  // namespace hl::testing
