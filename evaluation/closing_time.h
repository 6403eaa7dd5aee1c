#pragma once
// When uploads close, and whether the organiser has declared the results
// final: the keys `closes` and `final` of the evaluation file. A batch run
// and the window read them and let them be; the server acts on them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/text/error.h"

namespace hl::evaluation {

struct ClosingTime {
  int64_t utc_seconds = 0;     // since 1970-01-01T00:00:00Z
  int32_t offset_minutes = 0;  // the competition's offset from UTC, as written
};

struct Closing {
  std::optional<ClosingTime> closes;
  int64_t closes_line = 0;
  // From then on the public sees the standings as they were then.
  std::optional<ClosingTime> freeze;
  bool final = false;
};

// Why `closing`'s freeze cannot stand: it must come before `closes`.
std::optional<std::string> FreezeProblem(const Closing& closing);

// A date-time with its offset, "2026-12-24T18:00:00+01:00" or "...Z"
// (RFC 3339; a space may stand for the "T", seconds may carry a fraction).
Result<ClosingTime> ParseClosingTime(std::string_view text);
// The same moment from its civil parts, checked as ParseClosingTime does.
Result<ClosingTime> ClosingTimeOf(int year, int month, int day, int hour, int minute, int second,
                                  int32_t offset_minutes);

// "2026-12-24 17:00 UTC"
std::string UtcText(int64_t utc_seconds);
// "2026-12-24 18:00 +01:00": the moment in the competition's own offset.
std::string CompetitionText(const ClosingTime& time);
// "2026-12-24T17:00:00Z"
std::string Rfc3339Utc(int64_t utc_seconds);

}  // namespace hl::evaluation
