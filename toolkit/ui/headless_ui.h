#pragma once
// The facade over recorded state: events come from a script, the folder
// choice is preset, nothing sleeps and nothing is drawn on a screen. Tests
// and batch runs read back every gadget's text, caption, enabled flag,
// geometry and shown image, and the clipboard.

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/ui/gadget_kind.h"
#include "toolkit/ui/ui.h"

namespace hl::ui {

struct ScriptedEvent {
  int code = 0;
  int gadget = -1;  // for kGadgetEvent
};

class HeadlessUi : public Ui {
 public:
  // --- the facade ---
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

  // --- scripting ---
  // A press of a gadget: queued as a GadgetEvent unless the gadget is
  // disabled or absent (a disabled gadget raises no events).
  void Press(int gadget);
  void RequestClose();
  void PressEscape();
  // Called by WaitEvent without limit when the queue is empty; it may queue
  // events (Press, RequestClose). When it queues nothing, or none is set, the
  // wait answers kCloseEvent so a run out of script always ends.
  void SetIdleHandler(std::function<void(HeadlessUi&)> handler);
  // What ChooseFolder answers ("" = cancel); "/" appended when missing.
  void SetFolderChoice(std::string folder);
  // Lets a test type into a field or editor, as a user would.
  void TypeText(int gadget, const std::string& text);

  // --- recorded state ---
  bool HasGadget(int gadget) const;
  bool HasWindow(int window) const;
  std::string WindowTitle(int window) const;
  Geometry WindowGeometry(int window) const;
  Geometry GadgetGeometry(int gadget) const;
  bool IsEnabled(int gadget) const;
  std::optional<GadgetKind> KindOf(int gadget) const;
  bool IsBordered(int gadget) const;
  std::optional<FrameStyle> WindowStyle(int window) const;
  int WindowOf(int gadget) const;  // -1 when the gadget does not exist
  // Size of the image the gadget shows; nullopt when it shows none.
  std::optional<Geometry> ShownImageSize(int gadget) const;
  const std::string& Clipboard() const { return clipboard_; }
  std::string LastChooserTitle() const { return last_chooser_title_; }
  std::string LastChooserInitial() const { return last_chooser_initial_; }
  int PendingEvents() const { return static_cast<int>(queue_.size()); }

 private:
  struct Gadget;
  Gadget* Find(int gadget);
  const Gadget* Find(int gadget) const;
  Gadget* FindKind(int gadget, GadgetKind kind);
  void Add(int gadget, GadgetKind kind, Geometry geometry, std::string text, bool bordered);
  void Queue(int code, int gadget);
  int Take();

  struct Window {
    std::string title;
    Geometry geometry;
    FrameStyle style = FrameStyle::Titled;
    int owner = -1;
  };
  std::map<int, Window> windows_;
  int last_window_ = -1;
  std::map<int, std::shared_ptr<Gadget>> gadgets_;
  std::deque<ScriptedEvent> queue_;
  std::function<void(HeadlessUi&)> idle_handler_;
  std::string folder_choice_;
  std::string clipboard_;
  std::string last_chooser_title_;
  std::string last_chooser_initial_;
  int event_source_ = -1;
};

}  // namespace hl::ui
