#include "ranking/entry_order.h"
#include "results/sort_entries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hl::results {
namespace {

TEST(EntryOrder, RanksByTimeValueThenFoldedText) {
  const std::vector<std::pair<const char*, const char*>> faster_slower = {
      {"0987 Bert", "5987 Anna"},
      {"5987 Anna", "10000 Dora"},  // longer text, but slower
      {"87 Eve", "0987 Bert"},      // shorter text, but faster
      {"987", "0988 Al"},
      {"5987 anna", "5987 Bob"},          // letters decide before case
      {"5987 Ann", "5987 Anna"},          // a prefix ranks first
      {"5987 Zed", "5987 \xC3\x89mile"},  // bytes compare unsigned
      {"5987 A\tb", "5987 Ab"},
      {"-5 Neg", "0 Zero"},
      // A time that is no number ranks after every time, however long.
      {"99999 Slow", "DNF Cleo"},
      {"6000 Dan ##", "Bert ##"},
      {"-5 Neg", "- Dash"},
      {"5987 Al", "59x7 Al"},
      {"Bert ##", "DNF Cleo"},  // among themselves by their text
  };
  for (const auto& [faster, slower] : faster_slower) {
    EXPECT_TRUE(ranking::EntryLess(faster, slower)) << faster << " < " << slower;
    EXPECT_FALSE(ranking::EntryLess(slower, faster)) << slower << " < " << faster;
  }
}

TEST(EntryOrder, EntriesDifferingOnlyInCaseKeepTheirOrderBothWays) {
  for (const bool descending : {false, true}) {
    state::TextList list;
    for (const char* entry : {"5987 ANNA", "10000 Dora", "5987 anna", "87 Eve"}) list.Append(entry);
    SortEntries(list, descending);
    const std::vector<std::string> expected =
        descending ? std::vector<std::string>{"10000 Dora", "5987 ANNA", "5987 anna", "87 Eve"}
                   : std::vector<std::string>{"87 Eve", "5987 ANNA", "5987 anna", "10000 Dora"};
    EXPECT_EQ(list.Items(), expected) << "descending " << descending;
  }
}

}  // namespace
}  // namespace hl::results
