#pragma once
// The log editor's line model, shared by every backend so that appended
// lines, line breaks and the read-back text come out the same everywhere.
//
// An editor that holds nothing and an editor that holds one empty line both
// have the empty text; the flag remembers the second case so that an empty
// first line still counts as a line once something follows it.

#include <string>
#include <string_view>
#include <vector>

namespace hl::ui {

enum class EditorFlag {
  Plain,           // nothing special
  EmptyFirstLine,  // the text is empty but stands for one empty line
  FirstLineOut,    // that empty first line has been written out as a break
};

// How to append one line at the end of an editor.
struct AppendStep {
  int breaks_before = 0;  // line breaks to insert before the line's text
  EditorFlag next_flag = EditorFlag::Plain;
};

AppendStep PlanAppendLine(EditorFlag flag, bool text_empty, bool line_empty);

// Every CR LF, lone CR and lone LF becomes CR LF: the editor knows line
// breaks only, so a break character can never survive inside a line.
std::string NormalizeLineBreaks(std::string_view text);

// One appended line stays one line: CR, LF and the Unicode line and
// paragraph separators (which a desktop editor would also break at) become
// spaces. Names read from files end up in appended lines, and a break hidden
// in one must not forge a line of its own, such as a second result line.
std::string SingleLine(std::string_view line);

inline constexpr std::string_view kLineBreak = "\r\n";

// An editor's text (as ReadText answers it) as its lines: the empty text is
// one empty line.
std::vector<std::string> EditorTextLines(std::string_view text);

// The editor of a backend without a widget: its text is kept with CR LF
// between the lines, which is exactly what ReadText answers.
class EditorLines {
 public:
  const std::string& Text() const { return text_; }
  EditorFlag Flag() const { return flag_; }

  // Replaces the whole text; the flag starts over.
  void SetText(std::string_view text);
  void Clear();
  void AppendLine(std::string_view line);
  // A user edit: the text changes, the flag stays as it is.
  void Type(std::string_view text);

 private:
  std::string text_;
  EditorFlag flag_ = EditorFlag::Plain;
};

}  // namespace hl::ui
