#pragma once
// A penalty as the organiser decided it: the time, the reason, when and by
// whom. The window writes one whenever "Strafe" is pressed, the server's
// review desk one for each organiser's decision; a decision that is changed
// later is kept in the file as an earlier one. A withdrawn penalty applies
// no time, and stays in the file with why it was withdrawn.

#include <chrono>
#include <optional>
#include <string>

#include <toml++/toml.h>

#include "toolkit/text/error.h"

namespace hl::evaluation {

struct Decision {
  std::string time;                              // 1 to 5 digits; empty when withdrawn
  std::string reason;                            // empty when none was given
  std::optional<std::string> decided;            // RFC 3339, absent in penalties written by hand
  std::optional<std::string> by = std::nullopt;  // who decided; absent in older files
  bool withdrawn = false;

  bool SamePenalty(const Decision& other) const {
    return time == other.time && reason == other.reason && withdrawn == other.withdrawn;
  }
};

// `when` in UTC to the second: "2026-12-08T17:30:05Z".
std::string DecidedText(std::chrono::system_clock::time_point when);

// A `decided` value: a TOML date and time with its offset.
Result<std::string> TakeDecided(const toml::node& node, const std::string& path);

// An `earlier` array: [[penalty.earlier]] tables with time (unless
// withdrawn), reason, decided, by and withdrawn.
Result<std::vector<Decision>> TakeEarlier(const toml::node& node, const std::string& path);

// A `by` value: a text.
Result<std::string> TakeBy(const toml::node& node, const std::string& path);

// A `withdrawn` value: true or false.
Result<bool> TakeWithdrawn(const toml::node& node, const std::string& path);

// A penalty time as the file holds it: a whole number of 1 to 5 digits.
Result<std::string> TakePenaltyTime(const toml::node& node, const std::string& path);

}  // namespace hl::evaluation
