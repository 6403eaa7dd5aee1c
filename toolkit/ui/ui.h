#pragma once
// The window facade: numbered windows, numbered gadgets, one event queue, a
// pause, a folder chooser and the text clipboard. Two backends implement it
// (Qt for the desktop, headless for tests and batch runs); the workflow code
// cannot tell them apart. Unknown window or gadget numbers are ignored and
// answer 0 or the empty text. Texts are UTF-8.

#include <string>

#include "toolkit/raster/image.h"

namespace hl::ui {

constexpr int kGadgetEvent = 13100;
constexpr int kCloseEvent = 16;
// The Escape key, pressed in any of the tool's windows.
constexpr int kEscapeEvent = 13101;

enum class FrameStyle {
  Titled,  // title bar with close box, no minimise/maximise, fixed size
  Bare,    // no title bar, no border
};

struct Geometry {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Geometry&) const = default;
};

class Ui {
 public:
  virtual ~Ui() = default;

  // Client area width x height; x, y place the outer frame. owner < 0: none.
  virtual bool OpenFrame(int window, int x, int y, int width, int height, const std::string& title,
                         FrameStyle style, int owner) = 0;
  virtual void CloseFrame(int window) = 0;

  // Gadgets are created in the window opened last.
  virtual void AddImageView(int gadget, int x, int y, int width, int height, bool bordered) = 0;
  virtual void AddLogEditor(int gadget, int x, int y, int width, int height) = 0;
  virtual void AddTextField(int gadget, int x, int y, int width, int height,
                            const std::string& text) = 0;
  virtual void AddPushButton(int gadget, int x, int y, int width, int height,
                             const std::string& caption) = 0;

  // Button caption, field content, or the editor's whole text (CR LF = line break).
  virtual void SetText(int gadget, const std::string& text) = 0;
  // Field content, or the editor's lines joined by CR LF, no break after the last.
  virtual std::string ReadText(int gadget) = 0;
  virtual void AppendLine(int gadget, const std::string& line) = 0;
  virtual void ClearText(int gadget) = 0;
  // Shows a copy of the image (nullptr: nothing) and resizes the gadget to it,
  // plus 4 each way when bordered; the top-left corner stays.
  virtual void ShowImage(int gadget, const raster::Image* image) = 0;
  virtual void SetEnabled(int gadget, bool enabled) = 0;
  virtual void RemoveControl(int gadget) = 0;
  virtual void MoveControl(int gadget, int x, int y, int width, int height) = 0;

  virtual int WaitEvent() = 0;              // without limit
  virtual int WaitEvent(int limit_ms) = 0;  // 0 when nothing came in time
  virtual int PollEvent() = 0;              // 0 when nothing is pending
  virtual int EventSource() const = 0;      // gadget of the last GadgetEvent
  virtual void Pause(int milliseconds) = 0;

  // The chosen folder ending with exactly one "/", or "" on cancel.
  virtual std::string ChooseFolder(const std::string& title, const std::string& initial) = 0;
  virtual void PutClipboardText(const std::string& text) = 0;
};

}  // namespace hl::ui
