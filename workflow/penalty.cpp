#include "workflow/penalty.h"

#include <string_view>

#include "record/rules.h"
#include "state/progress_bar.h"
#include "toolkit/text/text.h"

namespace hl::workflow {

namespace {

constexpr std::string_view kResultPrefix = "1.: ";
constexpr std::string_view kLineBreak = "\r\n";

// Byte offset of the first line that begins with the result prefix.
std::string::size_type FindResultLine(const std::string& log) {
  std::string::size_type start = 0;
  while (true) {
    if (std::string_view(log).substr(start).starts_with(kResultPrefix)) return start;
    const auto end = log.find(kLineBreak, start);
    if (end == std::string::npos) return std::string::npos;
    start = end + kLineBreak.size();
  }
}

// The record follows the result line, so the results files rank exactly
// what the report ranks.
void RecordPenalty(state::AppState& s, const std::string& penalty, const std::string& result) {
  record::EntryRecord* entry = s.Record.Current();
  if (entry == nullptr || !entry->track) return;
  entry->track->result = result;
  entry->penalty = record::Penalty{.time = penalty, .reason = ""};
}

// The log stays as it was; the progress view keeps the entry's count.
void ReportRefusedPenalty(state::AppState& s, ui::Ui& ui) {
  state::ShowProgress(s, ui, s.StepCounter, s.FolderList.Count(), "Strafe: keine Zeit");
}

}  // namespace

// Only the entry's result line is rewritten: the same digits or the same name
// elsewhere in the log (file size, car names) must stay as they are.
void ApplyPenalty(state::AppState& s, ui::Ui& ui, const std::string& penalty) {
  std::string log = ui.ReadText(state::id::kLogBox);
  if (!record::IsPenaltyTime(penalty)) {
    ReportRefusedPenalty(s, ui);
    return;
  }

  const auto line_start = FindResultLine(log);
  if (line_start != std::string::npos) {
    const auto rest_start = line_start + kResultPrefix.size();
    const auto line_end = log.find(kLineBreak, rest_start);
    const auto rest_length =
        line_end == std::string::npos ? std::string::npos : line_end - rest_start;

    std::string rest = text::ReplaceAll(log.substr(rest_start, rest_length),
                                        text::FormatInteger(s.Slot1Time), penalty);
    if (!s.Slot1Driver.empty()) {
      rest = text::ReplaceAll(rest, s.Slot1Driver, s.Slot1Driver + " ##");
    }
    log.replace(rest_start, rest_length, rest);
    RecordPenalty(s, penalty, rest);
  }
  ui.SetText(state::id::kLogBox, log);
}

void ApplyPenalty(state::AppState& s, ui::Ui& ui) {
  ApplyPenalty(s, ui, ui.ReadText(state::id::kPenaltyField));
}

}  // namespace hl::workflow
