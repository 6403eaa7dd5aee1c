#include "app/penalty.h"

#include <string_view>

#include "toolkit/text/text.h"

namespace hl::app {

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

}  // namespace

// Only the entry's result line is rewritten: the same digits or the same name
// elsewhere in the log (file size, car names) must stay as they are.
void ApplyPenalty(state::AppState& s, ui::Ui& ui) {
  std::string log = ui.ReadText(state::id::kLogBox);
  const std::string penalty = ui.ReadText(state::id::kPenaltyField);

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
  }
  ui.SetText(state::id::kLogBox, log);
}

}  // namespace hl::app
