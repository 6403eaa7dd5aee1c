// The period's one text form: what it accepts comes back unchanged, and
// what it refuses is named in the message.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "audit/entry_findings.h"
#include "audit/period.h"

namespace hl::audit {
namespace {

TEST(Period, AcceptsRealDaysInOrderAndRefusesTheRest) {
  struct Case {
    const char* text;
    const char* problem;  // a part of the message; nullptr when the text is a period
  };
  const Case cases[] = {
      {"2026-01-01..2026-12-31", nullptr},
      {"2026-03-14..2026-03-14", nullptr},  // one day
      {"2024-02-29..2024-03-01", nullptr},  // a leap day
      {"2000-02-29..2000-02-29", nullptr},  // a leap century
      {"1900-02-29..1900-03-01", "'1900-02-29' is not a date: the month has no such day"},
      {"2026-02-29..2026-03-01", "'2026-02-29' is not a date: the month has no such day"},
      {"2026-04-01..2026-04-31", "'2026-04-31' is not a date: the month has no such day"},
      {"2026-01-00..2026-01-02", "'2026-01-00' is not a date: the month has no such day"},
      {"2026-13-01..2026-12-31", "'2026-13-01' is not a date: there is no month 13"},
      {"2026-00-10..2026-12-31", "there is no month 0"},
      {"2026-01-02..2026-01-01", "the period starts on 2026-01-02, after its end 2026-01-01"},
      {"2026-12-31..2025-01-01", "after its end 2025-01-01"},
      {"2026-01-01", "'2026-01-01' is not a period FROM..TO"},
      {"", "'' is not a period FROM..TO"},
      {"..", "'' is not a date of the form YYYY-MM-DD"},
      {"..2026-01-01", "'' is not a date"},
      {"2026-01-01..", "'' is not a date"},
      {"2026-1-01..2026-01-02", "'2026-1-01' is not a date"},
      {"2026-01-01..2026-01-02 ", "'2026-01-02 ' is not a date"},
      {" 2026-01-01..2026-01-02", "' 2026-01-01' is not a date"},
      {"2026-01-01...2026-01-02", "'.2026-01-02' is not a date"},
      {"2026-01-01..2026-01-02..2026-01-03", "'2026-01-02..2026-01-03' is not a date"},
      {"2026/01/01..2026/01/02", "'2026/01/01' is not a date"},
      {"+026-01-01..2026-01-02", "'+026-01-01' is not a date"},
      {"2026-0x-01..2026-01-02", "'2026-0x-01' is not a date"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Result<Period> period = ParsePeriod(c.text);
    if (c.problem == nullptr) {
      ASSERT_TRUE(period) << period.error().Describe();
      EXPECT_EQ(PeriodText(*period), c.text);
      EXPECT_LE(period->from, period->to);
    } else {
      ASSERT_FALSE(period);
      EXPECT_NE(period.error().Describe().find(c.problem), std::string::npos)
          << period.error().Describe();
    }
  }
}

TEST(Period, RecordDatesOutsideItsDaysOrNotRealAreFound) {
  const Period march = *ParsePeriod("2026-03-01..2026-03-31");
  struct Case {
    std::optional<record::RecordDate> stored;
    const char* message;  // nullptr: no finding
  };
  const Case cases[] = {
      {record::RecordDate{2026, 3, 1}, nullptr},
      {record::RecordDate{2026, 3, 31}, nullptr},
      {record::RecordDate{2026, 2, 28},
       "the lap was recorded on 2026-02-28, outside the period 2026-03-01..2026-03-31"},
      {record::RecordDate{2026, 4, 1}, "the lap was recorded on 2026-04-01, outside the period"},
      {record::RecordDate{2025, 3, 15}, "the lap was recorded on 2025-03-15"},
      {record::RecordDate{2026, 2, 30}, "the record date 2026-02-30 is not a date"},
      {record::RecordDate{2026, 3, 32}, "the record date 2026-03-32 is not a date"},
      {record::RecordDate{2026, 0, 5}, "the record date 2026-00-05 is not a date"},
      {record::RecordDate{2026, 3, -1}, "the record date 2026-03--1 is not a date"},
      {record::RecordDate{-1, -1, -1}, "is not a date"},
      {std::nullopt, "the track file ends before its record date"},
  };
  for (const Case& c : cases) {
    record::EntryRecord entry;
    entry.track.emplace().record_date = c.stored;
    std::vector<record::Finding> findings;
    AddPeriodFindings(entry, march, findings);
    SCOPED_TRACE(c.message ? c.message : "in the period");
    if (c.message == nullptr) {
      EXPECT_TRUE(findings.empty());
    } else {
      ASSERT_EQ(findings.size(), 1u);
      EXPECT_EQ(findings[0].code, "outside-period");
      EXPECT_NE(findings[0].message.find(c.message), std::string::npos) << findings[0].message;
    }
  }
}

}  // namespace
}  // namespace hl::audit
