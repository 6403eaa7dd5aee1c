#include "toolkit/ui/qt/log_editor.h"

#include <QTextCursor>
#include <QTextDocument>

namespace hl::ui {
namespace {

// The widget separates lines with "\n"; the model with CR LF.
QString ToWidgetText(std::string_view text) {
  const std::string normalized = NormalizeLineBreaks(text);
  QString widget_text =
      QString::fromUtf8(normalized.data(), static_cast<qsizetype>(normalized.size()));
  widget_text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return widget_text;
}

}  // namespace

LogEditor::LogEditor(QWidget* parent) : QPlainTextEdit(parent) {
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  // A log that grows by thousands of lines needs no undo history.
  setUndoRedoEnabled(false);
}

void LogEditor::SetText(const std::string& text) {
  setPlainText(ToWidgetText(text));
  flag_ = EditorFlag::Plain;
}

void LogEditor::Clear() { SetText({}); }

void LogEditor::AppendLine(const std::string& line) {
  const AppendStep step = PlanAppendLine(flag_, document()->isEmpty(), line.empty());
  QString insertion(step.breaks_before, QLatin1Char('\n'));
  insertion += ToWidgetText(SingleLine(line));
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(insertion);
  flag_ = step.next_flag;
  // The caret follows the newest line so the log scrolls along.
  setTextCursor(cursor);
}

std::string LogEditor::Text() const {
  // toRawText keeps characters such as no-break spaces that toPlainText would change.
  QString text = document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
  text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
  return text.toStdString();
}

}  // namespace hl::ui
