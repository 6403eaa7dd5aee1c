#include "evaluation/closing_time.h"

#include <chrono>
#include <cstdio>

namespace hl::evaluation {
namespace {

namespace chrono = std::chrono;

// The calendar date and time of day of a moment, seconds since 1970 UTC.
struct Civil {
  chrono::year_month_day date;
  chrono::hh_mm_ss<chrono::seconds> time;
};

Civil CivilFromSeconds(int64_t seconds) {
  const chrono::sys_seconds moment{chrono::seconds(seconds)};
  const auto day = chrono::floor<chrono::days>(moment);
  return {chrono::year_month_day(day), chrono::hh_mm_ss<chrono::seconds>(moment - day)};
}

// "YYYY-MM-DD" + `between` + "hh:mm", and ":ss" when asked.
std::string CivilText(const Civil& c, char between, bool with_seconds) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u%c%02d:%02d", static_cast<int>(c.date.year()),
                static_cast<unsigned>(c.date.month()), static_cast<unsigned>(c.date.day()), between,
                static_cast<int>(c.time.hours().count()),
                static_cast<int>(c.time.minutes().count()));
  std::string result = text;
  if (with_seconds) {
    std::snprintf(text, sizeof text, ":%02d", static_cast<int>(c.time.seconds().count()));
    result += text;
  }
  return result;
}

// Reads exactly `digits` decimal digits at `at`; -1 when they are not there.
int Digits(std::string_view text, size_t at, size_t digits) {
  if (at + digits > text.size()) return -1;
  int value = 0;
  for (size_t i = at; i < at + digits; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool CharAt(std::string_view text, size_t at, std::string_view allowed) {
  return at < text.size() && allowed.find(text[at]) != std::string_view::npos;
}

std::string OffsetText(int32_t offset_minutes) {
  const int32_t magnitude = offset_minutes < 0 ? -offset_minutes : offset_minutes;
  char text[16];
  std::snprintf(text, sizeof text, "%c%02d:%02d", offset_minutes < 0 ? '-' : '+', magnitude / 60,
                magnitude % 60);
  return text;
}

}  // namespace

Result<ClosingTime> ClosingTimeOf(int year, int month, int day, int hour, int minute, int second,
                                  int32_t offset_minutes) {
  const chrono::year_month_day date{chrono::year(year), chrono::month(static_cast<unsigned>(month)),
                                    chrono::day(static_cast<unsigned>(day))};
  if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1 || !date.ok() || hour > 23 ||
      minute > 59 || second > 60 || hour < 0 || minute < 0 || second < 0 ||
      offset_minutes <= -24 * 60 || offset_minutes >= 24 * 60) {
    return Fail({"not a real date and time", "", std::nullopt});
  }
  const int64_t local = chrono::sys_days(date).time_since_epoch().count() * 86400 + hour * 3600 +
                        minute * 60 + (second == 60 ? 59 : second);
  return ClosingTime{.utc_seconds = local - int64_t{offset_minutes} * 60,
                     .offset_minutes = offset_minutes};
}

std::optional<std::string> FreezeProblem(const Closing& closing) {
  if (!closing.freeze) return std::nullopt;
  if (!closing.closes) return "freeze needs a closing time (closes) after it";
  if (closing.freeze->utc_seconds >= closing.closes->utc_seconds)
    return "freeze (" + CompetitionText(*closing.freeze) + ") must come before closes (" +
           CompetitionText(*closing.closes) + ")";
  return std::nullopt;
}

Result<ClosingTime> ParseClosingTime(std::string_view text) {
  const auto refused = [&text] {
    return Fail({"'" + std::string(text) +
                     "' is no date and time with an offset, such as 2026-12-24T18:00:00+01:00",
                 "", std::nullopt});
  };
  const int year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
  const int hour = Digits(text, 11, 2), minute = Digits(text, 14, 2), second = Digits(text, 17, 2);
  if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 ||
      !CharAt(text, 4, "-") || !CharAt(text, 7, "-") || !CharAt(text, 10, "Tt ") ||
      !CharAt(text, 13, ":") || !CharAt(text, 16, ":")) {
    return refused();
  }
  size_t at = 19;
  if (CharAt(text, at, ".")) {
    ++at;
    const size_t digits_start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    if (at == digits_start) return refused();
  }
  int32_t offset = 0;
  if (CharAt(text, at, "Zz")) {
    ++at;
  } else if (CharAt(text, at, "+-")) {
    const int hours = Digits(text, at + 1, 2), minutes = Digits(text, at + 4, 2);
    if (hours < 0 || minutes < 0 || !CharAt(text, at + 3, ":") || minutes > 59) return refused();
    offset = (hours * 60 + minutes) * (text[at] == '-' ? -1 : 1);
    at += 6;
  } else {
    return refused();
  }
  if (at != text.size()) return refused();
  auto time = ClosingTimeOf(year, month, day, hour, minute, second, offset);
  if (!time) return refused();
  return time;
}

std::string UtcText(int64_t utc_seconds) {
  return CivilText(CivilFromSeconds(utc_seconds), ' ', false) + " UTC";
}

std::string CompetitionText(const ClosingTime& time) {
  const int64_t local = time.utc_seconds + int64_t{time.offset_minutes} * 60;
  return CivilText(CivilFromSeconds(local), ' ', false) + " " + OffsetText(time.offset_minutes);
}

std::string Rfc3339Utc(int64_t utc_seconds) {
  return CivilText(CivilFromSeconds(utc_seconds), 'T', true) + "Z";
}

}  // namespace hl::evaluation
