#pragma once
// The log editor: a plain multi-line editor whose lines are appended, set and
// read back through the shared editor line model.

#include <QPlainTextEdit>
#include <string>

#include "toolkit/ui/editor_lines.h"

namespace hl::ui {

class LogEditor : public QPlainTextEdit {
 public:
  explicit LogEditor(QWidget* parent);

  void SetText(const std::string& text);
  void Clear();
  void AppendLine(const std::string& line);
  // The lines joined by CR LF, no break after the last.
  std::string Text() const;

 private:
  EditorFlag flag_ = EditorFlag::Plain;
};

}  // namespace hl::ui
