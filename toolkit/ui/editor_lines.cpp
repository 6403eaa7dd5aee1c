#include "toolkit/ui/editor_lines.h"

namespace hl::ui {

AppendStep PlanAppendLine(EditorFlag flag, bool text_empty, bool line_empty) {
  AppendStep step{0, flag};
  if (flag == EditorFlag::EmptyFirstLine) {
    ++step.breaks_before;
    step.next_flag = EditorFlag::FirstLineOut;
  }
  // Emptiness is judged on the text as it was before the first line's break
  // went in, otherwise "" then "x" would gain two breaks instead of one.
  if (!text_empty) {
    ++step.breaks_before;
  } else if (line_empty && flag == EditorFlag::Plain) {
    step.next_flag = EditorFlag::EmptyFirstLine;
  }
  return step;
}

std::string NormalizeLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      out += kLineBreak;
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

void EditorLines::SetText(std::string_view text) {
  text_ = NormalizeLineBreaks(text);
  flag_ = EditorFlag::Plain;
}

void EditorLines::Clear() { SetText({}); }

std::string SingleLine(std::string_view line) {
  static constexpr std::string_view kLineSeparator = "\u2028";
  static constexpr std::string_view kParagraphSeparator = "\u2029";
  static constexpr std::string_view kNextLine = "\u0085";
  std::string out;
  out.reserve(line.size());
  for (size_t i = 0; i < line.size();) {
    const std::string_view rest = line.substr(i);
    if (rest.starts_with(kLineSeparator) || rest.starts_with(kParagraphSeparator)) {
      out += ' ';
      i += kLineSeparator.size();
    } else if (rest.starts_with(kNextLine)) {
      out += ' ';
      i += kNextLine.size();
    } else {
      out += (line[i] == '\r' || line[i] == '\n') ? ' ' : line[i];
      ++i;
    }
  }
  return out;
}

std::vector<std::string> EditorTextLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find(kLineBreak, start)) != std::string_view::npos;
       start = end + kLineBreak.size()) {
    lines.emplace_back(text.substr(start, end - start));
  }
  lines.emplace_back(text.substr(start));
  return lines;
}

void EditorLines::AppendLine(std::string_view line) {
  const AppendStep step = PlanAppendLine(flag_, text_.empty(), line.empty());
  for (int i = 0; i < step.breaks_before; ++i) text_ += kLineBreak;
  text_ += SingleLine(line);
  flag_ = step.next_flag;
}

void EditorLines::Type(std::string_view text) { text_ = NormalizeLineBreaks(text); }

}  // namespace hl::ui
