#include "publish/results_csv.h"

#include <vector>

#include "publish/control_characters.h"
#include "ranking/record_ranking.h"
#include "toolkit/text/text.h"
#include "toolkit/text/utf8.h"

namespace hl::publish {
namespace {

constexpr const char* kHeader = "place,entry,time,seconds,driver,car,car_ok,penalty,penalty_reason";
constexpr const char* kRowEnd = "\r\n";

std::string Row(const std::vector<std::string>& fields) {
  std::string row;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) row += ',';
    row += CsvField(fields[i]);
  }
  return row + kRowEnd;
}

std::string EntryRow(const std::string& place, const std::string& time,
                     const record::EntryRecord& entry) {
  const record::TrackFacts* track = entry.track ? &*entry.track : nullptr;
  const std::string seconds = time.empty() ? "" : text::FormatHundredths(text::ParseInteger(time));
  return Row({place, entry.folder, time, seconds, track ? track->driver : "",
              track ? track->car : "", track ? (track->car_ok ? "true" : "false") : "",
              entry.penalty ? text::FormatInteger(text::ParseInteger(entry.penalty->time)) : "",
              entry.penalty ? entry.penalty->reason : ""});
}

}  // namespace

std::string CsvField(std::string_view raw) {
  std::string field;
  size_t position = 0;
  while (position < raw.size()) {
    const char32_t code = text::NextCodePoint(raw, position);
    text::AppendUtf8(field, IsReplacedControl(code) ? text::kReplacementCharacter : code);
  }
  const bool quoted = field.find_first_of(",\"\r\n") != std::string::npos ||
                      (!field.empty() && (field.front() == ' ' || field.back() == ' '));
  if (!quoted) return field;
  return '"' + text::ReplaceAll(field, "\"", "\"\"") + '"';
}

std::string ResultsCsv(const record::CompetitionRecord& competition) {
  std::string csv = std::string(kHeader) + kRowEnd;
  std::vector<bool> ranked(competition.entries.size(), false);
  for (const ranking::RankedEntry& entry : ranking::RankRecord(competition)) {
    ranked[entry.entry] = true;
    csv += EntryRow(text::FormatInteger(entry.place), text::FormatInteger(entry.time),
                    competition.entries[entry.entry]);
  }
  for (size_t i = 0; i < competition.entries.size(); ++i) {
    if (!ranked[i]) csv += EntryRow("", "", competition.entries[i]);
  }
  return csv;
}

}  // namespace hl::publish
