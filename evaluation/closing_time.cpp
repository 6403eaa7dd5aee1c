#include "evaluation/closing_time.h"

#include <cstdio>

namespace hl::evaluation {
namespace {

constexpr int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

struct Civil {
  int64_t year, month, day, hour, minute, second;
};

Civil CivilFromSeconds(int64_t seconds) {
  int64_t days = seconds / kSecondsPerDay;
  int64_t rest = seconds % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t day_of_era = days - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t mp = (5 * day_of_year + 2) / 153;
  const int64_t day = day_of_year - (153 * mp + 2) / 5 + 1;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  return {
      year_of_era + era * 400 + (month <= 2), month, day, rest / 3600, rest / 60 % 60, rest % 60};
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
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
  if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month) || hour > 23 || minute > 59 || second > 60 || hour < 0 ||
      minute < 0 || second < 0 || offset_minutes <= -24 * 60 || offset_minutes >= 24 * 60) {
    return Fail({"not a real date and time", "", std::nullopt});
  }
  const int64_t local = DaysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600 +
                        minute * 60 + (second == 60 ? 59 : second);
  return ClosingTime{.utc_seconds = local - int64_t{offset_minutes} * 60,
                     .offset_minutes = offset_minutes};
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
  const Civil c = CivilFromSeconds(utc_seconds);
  char text[48];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld UTC",
                static_cast<long long>(c.year), static_cast<long long>(c.month),
                static_cast<long long>(c.day), static_cast<long long>(c.hour),
                static_cast<long long>(c.minute));
  return text;
}

std::string CompetitionText(const ClosingTime& time) {
  const Civil c = CivilFromSeconds(time.utc_seconds + int64_t{time.offset_minutes} * 60);
  char text[48];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld ",
                static_cast<long long>(c.year), static_cast<long long>(c.month),
                static_cast<long long>(c.day), static_cast<long long>(c.hour),
                static_cast<long long>(c.minute));
  return text + OffsetText(time.offset_minutes);
}

std::string Rfc3339Utc(int64_t utc_seconds) {
  const Civil c = CivilFromSeconds(utc_seconds);
  char text[48];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ",
                static_cast<long long>(c.year), static_cast<long long>(c.month),
                static_cast<long long>(c.day), static_cast<long long>(c.hour),
                static_cast<long long>(c.minute), static_cast<long long>(c.second));
  return text;
}

}  // namespace hl::evaluation
