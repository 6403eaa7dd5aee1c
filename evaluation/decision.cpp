#include "evaluation/decision.h"

#include <ctime>
#include <sstream>

#include "evaluation/toml_document.h"
#include "record/rules.h"

namespace hl::evaluation {
namespace {

Error At(const toml::node& node, const std::string& path, const std::string& what) {
  return AtLine(path, node.source().begin.line, what);
}

Result<void> TakeDecisionKey(const toml::key& key, const toml::node& node, const std::string& path,
                             Decision& decision) {
  if (key.str() == "time") {
    auto time = TakePenaltyTime(node, path);
    if (!time) return Fail(time.error());
    decision.time = *time;
  } else if (key.str() == "reason") {
    if (!node.is_string()) return Fail(At(node, path, "reason must be a text"));
    decision.reason = *node.value<std::string>();
  } else if (key.str() == "decided") {
    auto decided = TakeDecided(node, path);
    if (!decided) return Fail(decided.error());
    decision.decided = *decided;
  } else if (key.str() == "by") {
    auto by = TakeBy(node, path);
    if (!by) return Fail(by.error());
    decision.by = *by;
  } else if (key.str() == "withdrawn") {
    auto withdrawn = TakeWithdrawn(node, path);
    if (!withdrawn) return Fail(withdrawn.error());
    decision.withdrawn = *withdrawn;
  } else {
    return Fail(AtLine(path, key.source().begin.line,
                       "unknown key '" + std::string(key.str()) +
                           "' in [[penalty.earlier]] (time, reason, decided, by and withdrawn "
                           "are known)"));
  }
  return {};
}

Result<Decision> TakeDecision(const toml::table& table, const std::string& path) {
  Decision decision;
  for (auto&& [key, node] : table) {
    if (auto taken = TakeDecisionKey(key, node, path, decision); !taken) return Fail(taken.error());
  }
  if (decision.time.empty() && !decision.withdrawn)
    return Fail(At(table, path, "[[penalty.earlier]] without time"));
  return decision;
}

}  // namespace

std::string DecidedText(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

Result<std::string> TakeDecided(const toml::node& node, const std::string& path) {
  const std::optional<toml::date_time> when = node.value<toml::date_time>();
  if (!node.is_date_time() || !when->offset)
    return Fail(At(node, path,
                   "decided must be a date and time with its offset, such as "
                   "2026-12-08T17:30:05Z"));
  std::ostringstream text;
  text << *when;
  return text.str();
}

Result<std::vector<Decision>> TakeEarlier(const toml::node& node, const std::string& path) {
  const toml::array* tables = node.as_array();
  if (tables == nullptr || !tables->is_array_of_tables())
    return Fail(At(node, path, "earlier must be given as [[penalty.earlier]] tables"));
  std::vector<Decision> earlier;
  for (const toml::node& element : *tables) {
    auto decision = TakeDecision(*element.as_table(), path);
    if (!decision) return Fail(decision.error());
    earlier.push_back(std::move(*decision));
  }
  return earlier;
}

Result<std::string> TakeBy(const toml::node& node, const std::string& path) {
  if (!node.is_string()) return Fail(At(node, path, "by must be a text: who decided"));
  return *node.value<std::string>();
}

Result<bool> TakeWithdrawn(const toml::node& node, const std::string& path) {
  if (!node.is_boolean()) return Fail(At(node, path, "withdrawn must be true or false"));
  return *node.value<bool>();
}

// A whole number, so "6000" and 6000 cannot both mean the same penalty and
// the text handed on is always the number's plain digits.
Result<std::string> TakePenaltyTime(const toml::node& node, const std::string& path) {
  const std::optional<int64_t> time = node.is_integer() ? node.value<int64_t>() : std::nullopt;
  if (!time || *time < 0 || *time > record::kMaxPenaltyTime)
    return Fail(At(node, path, "time must be a whole number of hundredths of 1 to 5 digits"));
  return std::to_string(*time);
}

}  // namespace hl::evaluation
