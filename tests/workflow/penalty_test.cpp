#include "workflow/penalty.h"

#include <gtest/gtest.h>

#include "tests/support/test_app.h"

namespace hl::workflow {
namespace {

struct PenaltyCase {
  const char* name;
  std::string log;
  int16_t time;
  std::string driver;
  std::string penalty;
  std::string expected;
};

TEST(ApplyPenalty, RewritesOnlyTheResultLine) {
  const std::vector<PenaltyCase> cases = {
      {"preset penalty", "lap.trk  (fest): 4656 Bytes\r\n \r\n1.: 5987 Anna\r\n \r\nCar 1:Ref ok",
       5987, "Anna", "6000",
       "lap.trk  (fest): 4656 Bytes\r\n \r\n1.: 6000 Anna ##\r\n \r\nCar 1:Ref ok"},
      {"same digits in the size line", "lap.trk  (fest): 4656 Bytes\r\n1.: 4656 Anna\r\n---", 4656,
       "Anna", "6000", "lap.trk  (fest): 4656 Bytes\r\n1.: 6000 Anna ##\r\n---"},
      {"driver named like the car line", "1.: 5987 Car\r\n \r\nCar 1:Car ok", 5987, "Car", "6000",
       "1.: 6000 Car ##\r\n \r\nCar 1:Car ok"},
      {"the prefix keeps its digit", "1.: 1 Bo", 1, "Bo", "6000", "1.: 6000 Bo ##"},
      {"first result line only", "1.: 5987 Anna\r\n1.: 5987 Anna", 5987, "Anna", "6000",
       "1.: 6000 Anna ##\r\n1.: 5987 Anna"},
      {"a result line must start its line", "x 1.: 5987 Anna", 5987, "Anna", "6000",
       "x 1.: 5987 Anna"},
      {"no result line", "a\r\nb", 5987, "a", "6000", "a\r\nb"},
      {"empty log", "", 0, "", "6000", ""},
      {"empty driver marks nothing", "1.: 5987 \r\n---", 5987, "", "6000", "1.: 6000 \r\n---"},
      {"empty penalty changes nothing", "1.: 5987 Anna", 5987, "Anna", "", "1.: 5987 Anna"},
      {"negative time", "1.: -12 Anna", -12, "Anna", "6000", "1.: 6000 Anna ##"},
  };
  for (const PenaltyCase& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TestApp app;
    app.ui.SetText(state::id::kLogBox, c.log);
    app.ui.TypeText(state::id::kPenaltyField, c.penalty);
    app.s.Slot1Time = c.time;
    app.s.Slot1Driver = c.driver;
    ApplyPenalty(app.s, app.ui);
    EXPECT_EQ(app.ui.ReadText(state::id::kLogBox), c.expected);
  }
}

TEST(ApplyPenalty, EveryPressMarksTheDriverAgain) {
  testing::TestApp app;
  app.ui.SetText(state::id::kLogBox, " \r\n1.: 5987 Anna\r\n ");
  app.s.Slot1Time = 5987;
  app.s.Slot1Driver = "Anna";
  ApplyPenalty(app.s, app.ui);
  ApplyPenalty(app.s, app.ui);
  EXPECT_EQ(app.ui.ReadText(state::id::kLogBox), " \r\n1.: 6000 Anna ## ##\r\n ");
}

}  // namespace
}  // namespace hl::workflow
