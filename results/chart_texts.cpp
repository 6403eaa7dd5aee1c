#include "results/chart_texts.h"

#include "ranking/entry_order.h"
#include "toolkit/text/text.h"

namespace hl::results {

std::string ChartRowLabel(std::string_view entry) {
  if (!ranking::HasEntryTime(entry)) return std::string(entry);
  const std::string time_text = ranking::EntryTimeText(entry);
  return text::FormatHundredths(text::ParseInteger(time_text)) +
         std::string(entry.substr(time_text.size()));
}

std::string ScaleValueText(int64_t value) {
  const std::string digits = text::FormatInteger(value);
  const int64_t length = text::TextLength(digits);
  return text::LeadingPart(digits, length - 2) + "." + text::TrailingPart(digits, 2);
}

std::string SaveMessage(const std::string& track_base_name, bool report_saved, bool chart_saved) {
  if (report_saved && chart_saved) return track_base_name + ".txt/png gespeichert";
  const char* missing =
      !report_saved && !chart_saved ? ".txt/png" : (report_saved ? ".png" : ".txt");
  return track_base_name + missing + " nicht gespeichert";
}

}  // namespace hl::results
