#include "publish/results_csv.h"

#include <vector>

#include "publish/csv_cells.h"
#include "ranking/record_ranking.h"
#include "toolkit/text/text.h"

namespace hl::publish {
namespace {

constexpr const char* kHeader =
    "place,entry,time,seconds,driver,car,car_ok,penalty,penalty_reason\r\n";

std::string EntryRow(const std::string& place, const std::string& time,
                     const record::EntryRecord& entry) {
  const record::TrackFacts* track = entry.track ? &*entry.track : nullptr;
  const std::string seconds = time.empty() ? "" : text::FormatHundredths(text::ParseInteger(time));
  return CsvRow(
      {CsvValue(place), CsvText(entry.folder), CsvValue(time), CsvValue(seconds),
       CsvText(track ? track->driver : ""), CsvText(track ? track->car : ""),
       CsvValue(track ? (track->car_ok ? "true" : "false") : ""),
       CsvValue(entry.penalty ? text::FormatInteger(text::ParseInteger(entry.penalty->time)) : ""),
       CsvText(entry.penalty ? entry.penalty->reason : "")});
}

}  // namespace

std::string ResultsCsv(const record::CompetitionRecord& competition) {
  std::string csv = kHeader;
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
