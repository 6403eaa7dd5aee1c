#include "tests/support/results_check.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include "tests/support/report_accounting.h"
#include "toolkit/text/utf8.h"
#include "toolkit/ui/editor_lines.h"

namespace hl::testing {
namespace {

using Json = nlohmann::json;

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// What a CSV field may hold of a text: no control character but line breaks.
std::string CsvSafe(const std::string& text) {
  std::string safe;
  size_t position = 0;
  while (position < text.size()) {
    const char32_t code = text::NextCodePoint(text, position);
    const bool control = (code < 0x20 && code != '\r' && code != '\n') || code == 0x7F;
    text::AppendUtf8(safe, control ? text::kReplacementCharacter : code);
  }
  return safe;
}

std::string Text(const Json& value) {
  if (value.is_null()) return "";
  if (value.is_string()) return value.get<std::string>();
  if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
  return value.dump();
}

std::string Seconds(int64_t hundredths) {
  const std::string sign = hundredths < 0 ? "-" : "";
  const int64_t magnitude = hundredths < 0 ? -hundredths : hundredths;
  const std::string cents = std::to_string(magnitude % 100);
  return sign + std::to_string(magnitude / 100) + "." + (cents.size() < 2 ? "0" : "") + cents;
}

std::vector<std::string> CsvRow(const Json& place, const Json& time, const Json& entry) {
  const Json& penalty = entry["penalty"];
  return {Text(place),
          CsvSafe(Text(entry["entry"])),
          Text(time),
          time.is_null() ? "" : Seconds(time.get<int64_t>()),
          CsvSafe(Text(entry["driver"])),
          CsvSafe(Text(entry["car"])),
          Text(entry["car_ok"]),
          penalty.is_null() ? "" : Text(penalty["time"]),
          penalty.is_null() ? "" : CsvSafe(Text(penalty["reason"]))};
}

void ExpectFactsInLog(const Json& entry, const std::vector<std::string>& log) {
  SCOPED_TRACE(Text(entry["entry"]));
  const bool has_result = std::any_of(log.begin(), log.end(),
                                      [](const std::string& l) { return l.starts_with("1.: "); });
  ASSERT_EQ(entry["track_valid"].get<bool>(), has_result);
  const auto as_logged = [](const std::string& line) { return ui::SingleLine(line); };
  if (has_result) {
    EXPECT_TRUE(Contains(
        log, Text(entry["track_file"]) + "  (fest): " + Text(entry["fixed_size"]) + " Bytes"));
    EXPECT_TRUE(Contains(log, "# Objecte: " + Text(entry["objects"])));
    if (entry["penalty"].is_null()) {
      EXPECT_TRUE(
          Contains(log, as_logged("1.: " + Text(entry["time"]) + " " + Text(entry["driver"]))));
    }
    EXPECT_TRUE(Contains(log, as_logged("Car 1:" + Text(entry["car"]) +
                                        (entry["car_ok"].get<bool>() ? " ok" : " not found!!"))));
  }
  if (!entry["settings"].is_null()) {
    const Json& s = entry["settings"];
    EXPECT_TRUE(Contains(log, as_logged("Trackname in gam: " + Text(entry["track_name"]))));
    EXPECT_TRUE(Contains(log, "T/C/F/D/S:  " + Text(s["tyres"]) + " / " + Text(s["consumption"]) +
                                  " / " + Text(s["fuel"]) + " / " + Text(s["damage"]) + " / " +
                                  Text(s["speed"])));
  }
}

}  // namespace

std::vector<std::vector<std::string>> ParseCsv(const std::string& csv) {
  std::vector<std::vector<std::string>> rows(1);
  std::string field;
  bool quoted = false;
  for (size_t i = 0; i < csv.size(); ++i) {
    const char c = csv[i];
    if (quoted) {
      if (c == '"' && i + 1 < csv.size() && csv[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().push_back(std::exchange(field, ""));
    } else if (c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n') {
      rows.back().push_back(std::exchange(field, ""));
      rows.emplace_back();
      ++i;
    } else {
      if (c == '\r' || c == '\n') ADD_FAILURE() << "a line break outside quotes at " << i;
      field += c;
    }
  }
  EXPECT_FALSE(quoted) << "a quoted field does not end";
  EXPECT_TRUE(rows.back().empty() && field.empty()) << "the last row has no CR LF";
  rows.pop_back();
  return rows;
}

void ExpectResultsMatchReport(const std::string& report, const std::string& json_text,
                              const std::string& csv_text) {
  const ReportAccount account = AccountFor(report);
  const Json json = Json::parse(json_text);  // throws, and fails the test, on broken JSON
  ASSERT_EQ(json["format"], "hotlap-eval results");
  const Json& ranking = json["ranking"];
  const Json& entries = json["entries"];
  ASSERT_EQ(entries.size(), account.entries.size());
  ASSERT_EQ(json["competition"]["entries"].get<size_t>(), entries.size());

  std::vector<std::string> json_block;
  for (const Json& ranked : ranking)
    json_block.push_back(Text(ranked["place"]) + " - " + Text(ranked["text"]));
  EXPECT_EQ(json_block, account.ranking);
  for (size_t i = 0; i < entries.size(); ++i) ExpectFactsInLog(entries[i], account.entries[i]);

  std::vector<std::vector<std::string>> expected = {{"place", "entry", "time", "seconds", "driver",
                                                     "car", "car_ok", "penalty", "penalty_reason"}};
  std::vector<bool> ranked(entries.size(), false);
  for (const Json& r : ranking) {
    const auto at = std::find_if(entries.begin(), entries.end(),
                                 [&r](const Json& e) { return e["entry"] == r["entry"]; });
    ASSERT_NE(at, entries.end());
    ranked[static_cast<size_t>(at - entries.begin())] = true;
    expected.push_back(CsvRow(r["place"], r["time"], *at));
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!ranked[i]) expected.push_back(CsvRow(Json(), Json(), entries[i]));
  }
  EXPECT_EQ(ParseCsv(csv_text), expected);
}

}  // namespace hl::testing
