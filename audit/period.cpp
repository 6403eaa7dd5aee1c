#include "audit/period.h"

#include <cstdio>
#include <utility>

namespace hl::audit {
namespace {

using std::chrono::year_month_day;

constexpr std::string_view kSeparator = "..";
constexpr size_t kDateLength = 10;  // YYYY-MM-DD

tl::unexpected<Error> Problem(std::string what) {
  return Fail({std::move(what), "", std::nullopt});
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

int Number(std::string_view digits) {
  int value = 0;
  for (const char digit : digits) value = value * 10 + (digit - '0');
  return value;
}

Result<year_month_day> ParseDay(std::string_view text) {
  const bool shaped = text.size() == kDateLength && text[4] == '-' && text[7] == '-' &&
                      AllDigits(text.substr(0, 4)) && AllDigits(text.substr(5, 2)) &&
                      AllDigits(text.substr(8, 2));
  const std::string quoted = "'" + std::string(text) + "'";
  if (!shaped) return Problem(quoted + " is not a date of the form YYYY-MM-DD");
  const int month = Number(text.substr(5, 2));
  if (month < 1 || month > 12) {
    return Problem(quoted + " is not a date: there is no month " + std::to_string(month));
  }
  const year_month_day day{std::chrono::year(Number(text.substr(0, 4))),
                           std::chrono::month(static_cast<unsigned>(month)),
                           std::chrono::day(static_cast<unsigned>(Number(text.substr(8, 2))))};
  if (!day.ok()) return Problem(quoted + " is not a date: the month has no such day");
  return day;
}

std::string DayText(year_month_day day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(day.year()),
                static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
  return text;
}

}  // namespace

Result<Period> ParsePeriod(std::string_view text) {
  const size_t separator = text.find(kSeparator);
  if (separator == std::string_view::npos) {
    return Problem("'" + std::string(text) + "' is not a period FROM..TO");
  }
  const auto from = ParseDay(text.substr(0, separator));
  if (!from) return Fail(from.error());
  const auto to = ParseDay(text.substr(separator + kSeparator.size()));
  if (!to) return Fail(to.error());
  if (*to < *from) {
    return Problem("the period starts on " + DayText(*from) + ", after its end " + DayText(*to));
  }
  return Period{*from, *to};
}

std::string PeriodText(const Period& period) {
  return DayText(period.from) + std::string(kSeparator) + DayText(period.to);
}

std::optional<year_month_day> RealDay(const record::RecordDate& date) {
  if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > 31) return std::nullopt;
  const year_month_day day{std::chrono::year(date.year),
                           std::chrono::month(static_cast<unsigned>(date.month)),
                           std::chrono::day(static_cast<unsigned>(date.day))};
  return day.ok() ? std::optional(day) : std::nullopt;
}

bool InPeriod(const Period& period, year_month_day day) {
  return period.from <= day && day <= period.to;
}

}  // namespace hl::audit
