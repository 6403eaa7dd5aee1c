#include "results/google_export.h"

#include <cstdint>
#include <string>

#include "ranking/entry_order.h"
#include "results/chart_scale.h"
#include "results/sort_entries.h"
#include "state/progress_bar.h"
#include "toolkit/text/text.h"

namespace hl::results {

namespace {

const char* const kTemplateName = "google_charts.txt";

// Hundredths as the single-precision seconds the chart service is given.
float Seconds(int64_t hundredths) {
  return static_cast<float>(static_cast<double>(hundredths) / 100.0);
}

std::string SecondsText(float seconds) { return text::FormatFixed(seconds, 2); }

bool IsOpenSizeLine(const std::string& line) {
  return text::TextEquals(text::LeadingPart(line, 4), "chs=") &&
         text::TextEquals(text::TrailingPart(line, 1), "x");
}

// The template with its open size line completed by the chart's height.
bool CopyTemplate(state::AppState& s, int64_t height) {
  const int slot = state::id::kTemplateFileSlot;
  if (!s.Files.FileOpenRead(slot, s.CurrentDir + kTemplateName)) return false;
  while (!s.Files.FileAtEnd(slot)) {
    std::string line = text::TrimSpaces(s.Files.FileReadLine(slot));
    if (IsOpenSizeLine(line)) line += text::FormatInteger(height);
    s.GoogleText += line + state::kNewLine;
  }
  s.Files.FileClose(slot);
  return true;
}

// Fastest to slowest; a time that is no time is drawn to the scale's end.
std::string DataSeries(const state::AppState& s) {
  std::string series = "&chd=t:";
  bool first = true;
  for (const std::string& entry : s.RankingList.Items()) {
    float seconds = Seconds(ranking::EntryTime(entry));
    if (seconds >= 60.0f) seconds = Seconds(s.ChartMax);
    if (!first) series += ",";
    series += SecondsText(seconds);
    first = false;
  }
  return series;
}

// The true time, or what stands in its place when it is no number.
std::string LabelTime(const std::string& entry) {
  return ranking::HasEntryTime(entry) ? SecondsText(Seconds(ranking::EntryTime(entry)))
                                      : ranking::EntryTimeText(entry);
}

// The service lists bar labels bottom-up, hence slowest to fastest.
std::string RowLabels(const state::AppState& s) {
  std::string labels = "|1:|";
  bool first = true;
  for (const std::string& entry : s.RankingList.Items()) {
    if (!first) labels += "|";
    labels += text::FieldAt(entry, 2, " ") + " (" + LabelTime(entry) + ")";
    first = false;
  }
  return labels;
}

}  // namespace

void ExportGoogleChart(state::AppState& s, ui::Ui& ui) {
  s.GoogleText.clear();
  const int64_t height = 30 * s.RankingList.Count() + 60;
  if (!CopyTemplate(s, height)) {
    // The log keeps the ranking and the next press tries again; without a
    // word the press would seem to have done nothing.
    state::ShowProgress(s, ui, state::kFinished, state::kFinished,
                        std::string(kTemplateName) + " fehlt");
    return;
  }

  const std::string min_text = SecondsText(Seconds(s.ChartMin));
  const std::string max_text = SecondsText(Seconds(s.ChartMax));
  const std::string middle_text = SecondsText(Seconds(ScaleMiddle(s.ChartMin, s.ChartMax)));
  s.GoogleText += "&chds=" + min_text + "," + max_text + state::kNewLine;
  s.GoogleText += DataSeries(s) + state::kNewLine;

  SortEntries(s.RankingList, /*descending=*/true);
  s.GoogleText += std::string("&chxt=x,y") + state::kNewLine;
  s.GoogleText += "&chxl=0:|" + min_text + "|" + middle_text + "|" + max_text + state::kNewLine;
  s.GoogleText += RowLabels(s);

  ui.SetText(state::id::kLogBox, s.GoogleText);
}

}  // namespace hl::results
