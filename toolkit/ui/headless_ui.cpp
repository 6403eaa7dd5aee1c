#include "toolkit/ui/headless_ui.h"

#include <utility>

#include "toolkit/ui/editor_lines.h"
#include "toolkit/ui/folder_path.h"
#include "toolkit/ui/image_view_size.h"

namespace hl::ui {

struct HeadlessUi::Gadget {
  GadgetKind kind = GadgetKind::ImageView;
  int window = -1;
  Geometry geometry;
  bool enabled = true;
  bool bordered = false;
  std::string text;  // caption or field content
  EditorLines editor;
  std::optional<Geometry> shown_image;
};

// --- windows ---

bool HeadlessUi::OpenFrame(int window, int x, int y, int width, int height,
                           const std::string& title, FrameStyle style, int owner) {
  CloseFrame(window);
  windows_[window] = Window{title, Geometry{x, y, width, height}, style, owner};
  last_window_ = window;
  return true;
}

void HeadlessUi::CloseFrame(int window) {
  if (!windows_.erase(window)) return;
  std::erase_if(gadgets_, [window](const auto& entry) { return entry.second->window == window; });
  if (last_window_ == window) last_window_ = -1;
  // Windows it owned go with it, as owned system windows do.
  std::vector<int> owned;
  for (const auto& [number, frame] : windows_) {
    if (frame.owner == window) owned.push_back(number);
  }
  for (int number : owned) CloseFrame(number);
}

// --- creating gadgets ---

void HeadlessUi::Add(int gadget, GadgetKind kind, Geometry geometry, std::string text,
                     bool bordered) {
  RemoveControl(gadget);
  if (!windows_.contains(last_window_)) return;
  auto created = std::make_shared<Gadget>();
  created->kind = kind;
  created->window = last_window_;
  created->geometry = geometry;
  created->bordered = bordered;
  created->text = std::move(text);
  gadgets_[gadget] = std::move(created);
}

void HeadlessUi::AddImageView(int gadget, int x, int y, int width, int height, bool bordered) {
  Add(gadget, GadgetKind::ImageView, {x, y, width, height}, {}, bordered);
}

void HeadlessUi::AddLogEditor(int gadget, int x, int y, int width, int height) {
  Add(gadget, GadgetKind::LogEditor, {x, y, width, height}, {}, true);
}

void HeadlessUi::AddTextField(int gadget, int x, int y, int width, int height,
                              const std::string& text) {
  Add(gadget, GadgetKind::TextField, {x, y, width, height}, text, true);
}

void HeadlessUi::AddPushButton(int gadget, int x, int y, int width, int height,
                               const std::string& caption) {
  Add(gadget, GadgetKind::PushButton, {x, y, width, height}, caption, false);
}

// --- operating on gadgets ---

HeadlessUi::Gadget* HeadlessUi::Find(int gadget) {
  auto it = gadgets_.find(gadget);
  return it == gadgets_.end() ? nullptr : it->second.get();
}

const HeadlessUi::Gadget* HeadlessUi::Find(int gadget) const {
  auto it = gadgets_.find(gadget);
  return it == gadgets_.end() ? nullptr : it->second.get();
}

HeadlessUi::Gadget* HeadlessUi::FindKind(int gadget, GadgetKind kind) {
  Gadget* g = Find(gadget);
  return g && g->kind == kind ? g : nullptr;
}

void HeadlessUi::SetText(int gadget, const std::string& text) {
  Gadget* g = Find(gadget);
  if (!g || g->kind == GadgetKind::ImageView) return;
  if (g->kind == GadgetKind::LogEditor) {
    g->editor.SetText(text);
  } else {
    g->text = text;
  }
}

std::string HeadlessUi::ReadText(int gadget) {
  const Gadget* g = Find(gadget);
  if (!g) return {};
  return g->kind == GadgetKind::LogEditor ? g->editor.Text() : g->text;
}

void HeadlessUi::AppendLine(int gadget, const std::string& line) {
  if (Gadget* g = FindKind(gadget, GadgetKind::LogEditor)) g->editor.AppendLine(line);
}

void HeadlessUi::ClearText(int gadget) {
  if (Gadget* g = FindKind(gadget, GadgetKind::LogEditor)) g->editor.Clear();
}

void HeadlessUi::ShowImage(int gadget, const raster::Image* image) {
  Gadget* g = FindKind(gadget, GadgetKind::ImageView);
  if (!g) return;
  if (!image) {
    g->shown_image.reset();
    return;
  }
  g->shown_image = Geometry{0, 0, image->Width(), image->Height()};
  g->geometry = FitImageView(g->geometry, image->Width(), image->Height(), g->bordered);
}

void HeadlessUi::SetEnabled(int gadget, bool enabled) {
  if (Gadget* g = Find(gadget)) g->enabled = enabled;
}

void HeadlessUi::RemoveControl(int gadget) { gadgets_.erase(gadget); }

void HeadlessUi::MoveControl(int gadget, int x, int y, int width, int height) {
  if (Gadget* g = Find(gadget)) g->geometry = Geometry{x, y, width, height};
}

// --- events and time ---

void HeadlessUi::Queue(int code, int gadget) { queue_.push_back(ScriptedEvent{code, gadget}); }

int HeadlessUi::Take() {
  const ScriptedEvent event = queue_.front();
  queue_.pop_front();
  if (event.code == kGadgetEvent) event_source_ = event.gadget;
  return event.code;
}

int HeadlessUi::WaitEvent() {
  if (queue_.empty() && idle_handler_) idle_handler_(*this);
  // A script that has run out ends the run rather than waiting forever.
  if (queue_.empty()) return kCloseEvent;
  return Take();
}

int HeadlessUi::WaitEvent(int /*limit_ms*/) { return PollEvent(); }

int HeadlessUi::PollEvent() { return queue_.empty() ? 0 : Take(); }

int HeadlessUi::EventSource() const { return event_source_; }

void HeadlessUi::Pause(int /*milliseconds*/) {}

// --- desktop services ---

std::string HeadlessUi::ChooseFolder(const std::string& title, const std::string& initial) {
  last_chooser_title_ = title;
  last_chooser_initial_ = initial;
  return ChosenFolderText(folder_choice_);
}

void HeadlessUi::PutClipboardText(const std::string& text) { clipboard_ = text; }

// --- scripting ---

void HeadlessUi::Press(int gadget) {
  const Gadget* g = Find(gadget);
  if (g && g->enabled) Queue(kGadgetEvent, gadget);
}

void HeadlessUi::RequestClose() { Queue(kCloseEvent, -1); }

void HeadlessUi::PressEscape() { Queue(kEscapeEvent, -1); }

void HeadlessUi::SetIdleHandler(std::function<void(HeadlessUi&)> handler) {
  idle_handler_ = std::move(handler);
}

void HeadlessUi::SetFolderChoice(std::string folder) { folder_choice_ = std::move(folder); }

void HeadlessUi::TypeText(int gadget, const std::string& text) {
  Gadget* g = Find(gadget);
  if (!g || !g->enabled) return;
  if (g->kind == GadgetKind::LogEditor) {
    g->editor.Type(text);
  } else if (g->kind == GadgetKind::TextField) {
    g->text = text;
    Queue(kGadgetEvent, gadget);
  }
}

// --- recorded state ---

bool HeadlessUi::HasGadget(int gadget) const { return Find(gadget) != nullptr; }

bool HeadlessUi::HasWindow(int window) const { return windows_.contains(window); }

std::string HeadlessUi::WindowTitle(int window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? std::string() : it->second.title;
}

Geometry HeadlessUi::WindowGeometry(int window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? Geometry{} : it->second.geometry;
}

std::optional<FrameStyle> HeadlessUi::WindowStyle(int window) const {
  auto it = windows_.find(window);
  if (it == windows_.end()) return std::nullopt;
  return it->second.style;
}

Geometry HeadlessUi::GadgetGeometry(int gadget) const {
  const Gadget* g = Find(gadget);
  return g ? g->geometry : Geometry{};
}

bool HeadlessUi::IsEnabled(int gadget) const {
  const Gadget* g = Find(gadget);
  return g && g->enabled;
}

std::optional<GadgetKind> HeadlessUi::KindOf(int gadget) const {
  const Gadget* g = Find(gadget);
  if (!g) return std::nullopt;
  return g->kind;
}

bool HeadlessUi::IsBordered(int gadget) const {
  const Gadget* g = Find(gadget);
  return g && g->bordered;
}

int HeadlessUi::WindowOf(int gadget) const {
  const Gadget* g = Find(gadget);
  return g ? g->window : -1;
}

std::optional<Geometry> HeadlessUi::ShownImageSize(int gadget) const {
  const Gadget* g = Find(gadget);
  return g ? g->shown_image : std::nullopt;
}

}  // namespace hl::ui
