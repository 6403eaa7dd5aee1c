#pragma once
// The facade on Qt Widgets: top-level windows with labels, a plain-text
// editor, line edits and push buttons as gadgets, and Qt's event loop
// feeding the tool's event queue. Qt stays out of this header so that the
// application can create the backend without seeing Qt.

#include <memory>
#include <optional>
#include <string>

#include "toolkit/ui/ui.h"

class QWidget;

namespace hl::ui {

class QtUi : public Ui {
 public:
  // Creates the QApplication unless one exists; argc must outlive this object.
  QtUi(int& argc, char** argv);
  ~QtUi() override;
  QtUi(const QtUi&) = delete;
  QtUi& operator=(const QtUi&) = delete;

  bool OpenFrame(int window, int x, int y, int width, int height, const std::string& title,
                 FrameStyle style, int owner) override;
  void CloseFrame(int window) override;
  void AddImageView(int gadget, int x, int y, int width, int height, bool bordered) override;
  void AddLogEditor(int gadget, int x, int y, int width, int height) override;
  void AddTextField(int gadget, int x, int y, int width, int height,
                    const std::string& text) override;
  void AddPushButton(int gadget, int x, int y, int width, int height,
                     const std::string& caption) override;
  void SetText(int gadget, const std::string& text) override;
  std::string ReadText(int gadget) override;
  void AppendLine(int gadget, const std::string& line) override;
  void ClearText(int gadget) override;
  void ShowImage(int gadget, const raster::Image* image) override;
  void SetEnabled(int gadget, bool enabled) override;
  void RemoveControl(int gadget) override;
  void MoveControl(int gadget, int x, int y, int width, int height) override;
  int WaitEvent() override;
  int WaitEvent(int limit_ms) override;
  int PollEvent() override;
  int EventSource() const override;
  void Pause(int milliseconds) override;
  std::string ChooseFolder(const std::string& title, const std::string& initial) override;
  void PutClipboardText(const std::string& text) override;

  // When set, ChooseFolder answers this instead of opening a dialog, so a
  // whole run can be driven without a user.
  void PresetFolderChoice(std::optional<std::string> folder);

  // The widgets behind the numbers, for tests; nullptr when not in use.
  QWidget* WidgetForTest(int gadget) const;
  QWidget* WindowForTest(int window) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace hl::ui
