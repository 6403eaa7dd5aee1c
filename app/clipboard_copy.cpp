#include "app/clipboard_copy.h"

#include <string_view>

#include "toolkit/text/text.h"

namespace hl::app {

namespace {

// The lines from the first up to the first empty one after it, joined with
// nothing in between. Seen as fields between CRs, every field after the first
// begins with the LF of its line break, so an empty line is a field of length
// 1 and the end of the text one of length 0. One pass, so a huge pasted log
// costs no more than its length.
std::string JoinUpToFirstEmptyLine(std::string_view text) {
  auto cr = text.find('\r');
  std::string joined(text.substr(0, cr));
  while (cr != std::string_view::npos) {
    const auto field_start = cr + 1;
    cr = text.find('\r', field_start);
    const std::string_view field =
        text.substr(field_start, cr == std::string_view::npos ? cr : cr - field_start);
    if (field.size() <= 1) break;
    joined += field.substr(1);
  }
  return joined;
}

}  // namespace

void CopyResults(state::AppState& s, ui::Ui& ui) {
  s.GoogleText = ui.ReadText(state::id::kLogBox);
  ui.PutClipboardText(JoinUpToFirstEmptyLine(s.GoogleText));
  ui.SetText(state::id::kPenaltyField,
             text::FormatInteger(text::TextLength(s.GoogleText)) + " Byte");
}

}  // namespace hl::app
