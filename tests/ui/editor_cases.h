#pragma once
// Editor scripts with the text each must read back, and image gadget sizes;
// shared by the tests of both backends so that they are held to the same
// behaviour.

#include <string>
#include <vector>

#include "toolkit/ui/ui.h"

namespace hl::testing {

struct EditorOp {
  enum Kind { Append, Set, Clear } kind;
  std::string text;
};

struct EditorCase {
  const char* name;
  std::vector<EditorOp> ops;
  std::string expected;
};

inline const std::vector<EditorCase>& EditorCases() {
  using Op = EditorOp;
  static const std::vector<EditorCase> cases = {
      {"OneLineHasNoBreak", {{Op::Append, "a"}}, "a"},
      {"LinesJoinedByCrLf", {{Op::Append, "a"}, {Op::Append, "b"}}, "a\r\nb"},
      {"EmptyFirstLineReadsEmpty", {{Op::Append, ""}}, ""},
      {"EmptyFirstLineStillCounts", {{Op::Append, ""}, {Op::Append, "x"}}, "\r\nx"},
      {"TwoEmptyLinesThenText",
       {{Op::Append, ""}, {Op::Append, ""}, {Op::Append, "x"}},
       "\r\n\r\nx"},
      {"EmptyLastLine", {{Op::Append, "a"}, {Op::Append, ""}}, "a\r\n"},
      {"SetEmptyStartsOver", {{Op::Append, "a"}, {Op::Set, ""}, {Op::Append, "b"}}, "b"},
      {"SetEmptyForgetsEmptyFirstLine", {{Op::Append, ""}, {Op::Set, ""}, {Op::Append, "x"}}, "x"},
      {"ClearForgetsEmptyFirstLine", {{Op::Append, ""}, {Op::Clear, ""}, {Op::Append, "x"}}, "x"},
      {"SetTextThenAppend", {{Op::Set, "a\r\nb"}, {Op::Append, "c"}}, "a\r\nb\r\nc"},
      {"SetTextReplacesEmptyFirstLine",
       {{Op::Append, ""}, {Op::Set, "abc"}, {Op::Append, "x"}},
       "abc\r\nx"},
      {"LoneBreaksBecomeCrLf", {{Op::Set, "a\nb\rc\r\n"}}, "a\r\nb\r\nc\r\n"},
      // A break inside an appended line (a name read from a file) must not
      // make a line of its own: that could forge a result line.
      {"BreakInsideAppendedLine", {{Op::Append, "a"}, {Op::Append, "b\nc"}}, "a\r\nb c"},
      {"ForgedResultLineStaysInside",
       {{Op::Append, "1.: 5000 A\r\n1.: 1 Z"}},
       "1.: 5000 A  1.: 1 Z"},
      {"UnicodeSeparatorsInsideLine", {{Op::Append, "a\u2028b\u2029c\u0085d"}}, "a b c d"},
      {"Utf8Survives", {{Op::Append, "Jürgen\u00a0Ø"}, {Op::Append, "€"}}, "Jürgen\u00a0Ø\r\n€"},
      {"ReadBackAndSetIsStable", {{Op::Set, "x\r\n\r\ny"}, {Op::Append, ""}}, "x\r\n\r\ny\r\n"},
  };
  return cases;
}

// An image gadget takes the size of the image it shows (+4 each way with a
// border) and keeps its top-left corner; gadgets as the main window has them.
struct ImageViewStep {
  int gadget, width, height;
  ui::Geometry expected;
};

inline const std::vector<ImageViewStep>& ImageViewSteps() {
  static const std::vector<ImageViewStep> steps = {
      {1, 32, 32, {490, 5, 32, 32}},
      {1, 512, 560, {490, 5, 512, 560}},
      {21, 32, 32, {5, 570, 36, 36}},
      {21, 480, 136, {5, 570, 484, 140}},
  };
  return steps;
}

inline void RunEditorOps(ui::Ui& ui, int gadget, const std::vector<EditorOp>& ops) {
  for (const EditorOp& op : ops) {
    switch (op.kind) {
      case EditorOp::Append:
        ui.AppendLine(gadget, op.text);
        break;
      case EditorOp::Set:
        ui.SetText(gadget, op.text);
        break;
      case EditorOp::Clear:
        ui.ClearText(gadget);
        break;
    }
  }
}

}  // namespace hl::testing
