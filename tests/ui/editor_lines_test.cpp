#include <gtest/gtest.h>

#include "tests/ui/editor_cases.h"
#include "toolkit/ui/editor_lines.h"
#include "toolkit/ui/headless_ui.h"

namespace hl::ui {
namespace {

using testing::EditorCase;

class EditorScript : public ::testing::TestWithParam<EditorCase> {};

TEST_P(EditorScript, ReadsBackThroughTheHeadlessFacade) {
  HeadlessUi ui;
  ui.OpenFrame(0, 0, 0, 400, 300, "w", FrameStyle::Titled, -1);
  ui.AddLogEditor(2, 5, 5, 200, 100);
  testing::RunEditorOps(ui, 2, GetParam().ops);
  EXPECT_EQ(ui.ReadText(2), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, EditorScript, ::testing::ValuesIn(testing::EditorCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EditorLines, UserEditKeepsThePendingEmptyFirstLine) {
  EditorLines editor;
  editor.AppendLine("");
  editor.Type("typed");
  EXPECT_EQ(editor.Flag(), EditorFlag::EmptyFirstLine);
  editor.SetText("typed");
  EXPECT_EQ(editor.Flag(), EditorFlag::Plain);
}

TEST(EditorLines, ManyLinesStayInOrder) {
  EditorLines editor;
  std::string expected;
  for (int i = 0; i < 3000; ++i) {
    editor.AppendLine(std::to_string(i));
    expected += (i ? "\r\n" : "") + std::to_string(i);
  }
  EXPECT_EQ(editor.Text(), expected);
}

}  // namespace
}  // namespace hl::ui
