#include <cstdio>

#include "audit/entry_findings.h"
#include "audit/finding_list.h"

namespace hl::audit {
namespace {

// As the results files show it: the stored numbers, whatever they are.
std::string StoredDateText(const record::RecordDate& date) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

}  // namespace

void AddPeriodFindings(const record::EntryRecord& entry, const Period& period,
                       std::vector<record::Finding>& findings) {
  if (!entry.track) return;
  const std::optional<record::RecordDate>& stored = entry.track->record_date;
  if (!stored) {
    findings.push_back(MakeFinding("outside-period", "the track file ends before its record date",
                                   {{"date", nullptr}}));
    return;
  }
  const std::string date = StoredDateText(*stored);
  const auto day = RealDay(*stored);
  if (!day) {
    findings.push_back(MakeFinding("outside-period", "the record date " + date + " is not a date",
                                   {{"date", date}}));
  } else if (!InPeriod(period, *day)) {
    findings.push_back(MakeFinding(
        "outside-period",
        "the lap was recorded on " + date + ", outside the period " + PeriodText(period),
        {{"date", date}}));
  }
}

}  // namespace hl::audit
