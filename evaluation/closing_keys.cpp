#include "evaluation/closing_keys.h"

#include <string>

namespace hl::evaluation {
namespace {

Result<ClosingTime> MomentOf(std::string_view key, const toml::node& node) {
  const toml::date_time* moment = node.as_date_time() ? &node.as_date_time()->get() : nullptr;
  const std::string shape = std::string(key) +
                            " must be a date and time with its offset, such as "
                            "2026-12-24T18:00:00+01:00";
  if (moment == nullptr || !moment->offset) return Fail({shape, "", std::nullopt});
  auto time =
      ClosingTimeOf(moment->date.year, moment->date.month, moment->date.day, moment->time.hour,
                    moment->time.minute, moment->time.second, moment->offset->minutes);
  if (!time) return Fail({shape, "", std::nullopt});
  return *time;
}

}  // namespace

Result<void> TakeClosingKey(std::string_view key, const toml::node& node, Closing& closing) {
  if (key == "closes" || key == "freeze") {
    auto moment = MomentOf(key, node);
    if (!moment) return Fail(moment.error());
    if (key == "freeze") {
      closing.freeze = *moment;
      return {};
    }
    closing.closes = *moment;
    closing.closes_line = node.source().begin.line;
    return {};
  }
  if (!node.is_boolean()) return Fail({"final must be true or false", "", std::nullopt});
  closing.final = *node.value<bool>();
  return {};
}

}  // namespace hl::evaluation
