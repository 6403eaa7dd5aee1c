#pragma once
// The days within which the laps of a competition had to be driven: given
// on the command line and kept in a saved evaluation, so it is a small value
// of its own with one text form, "FROM..TO".

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "record/competition_record.h"
#include "toolkit/text/error.h"

namespace hl::audit {

struct Period {
  std::chrono::year_month_day from;  // both days belong to the period
  std::chrono::year_month_day to;

  bool operator==(const Period&) const = default;
};

// "YYYY-MM-DD..YYYY-MM-DD", real dates, FROM not after TO; the error says
// which part is wrong.
Result<Period> ParsePeriod(std::string_view text);
std::string PeriodText(const Period& period);

// A record date as the track file stores it, when it names a real day.
std::optional<std::chrono::year_month_day> RealDay(const record::RecordDate& date);

bool InPeriod(const Period& period, std::chrono::year_month_day day);

}  // namespace hl::audit
