#include "toolkit/ui/qt/qt_ui.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QFileDialog>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <deque>
#include <map>
#include <thread>
#include <vector>

#include "toolkit/ui/folder_path.h"
#include "toolkit/ui/qt/frame_window.h"
#include "toolkit/ui/qt/image_view.h"
#include "toolkit/ui/qt/log_editor.h"

namespace hl::ui {
namespace {

QString ToQString(const std::string& text) { return QString::fromStdString(text); }

struct QueuedEvent {
  int code = 0;
  int gadget = -1;
};

}  // namespace

struct QtUi::Impl {
  struct Frame {
    QPointer<FrameWindow> widget;
    int owner = -1;
  };
  struct Gadget {
    QPointer<QWidget> widget;
    int window = -1;
  };

  std::unique_ptr<QApplication> own_application;
  std::map<int, Frame> frames;
  int last_frame = -1;
  std::map<int, Gadget> gadgets;
  std::deque<QueuedEvent> queue;
  QEventLoop* waiting_loop = nullptr;
  int event_source = -1;
  std::optional<std::string> preset_folder;

  FrameWindow* FrameWidget(int window) const {
    auto it = frames.find(window);
    return it == frames.end() ? nullptr : it->second.widget.data();
  }

  QWidget* GadgetWidget(int gadget) const {
    auto it = gadgets.find(gadget);
    return it == gadgets.end() ? nullptr : it->second.widget.data();
  }

  template <typename W>
  W* GadgetAs(int gadget) const {
    return dynamic_cast<W*>(GadgetWidget(gadget));
  }

  void Queue(int code, int gadget) {
    queue.push_back(QueuedEvent{code, gadget});
    if (waiting_loop) waiting_loop->quit();
  }

  int Take() {
    const QueuedEvent event = queue.front();
    queue.pop_front();
    if (event.code == kGadgetEvent) event_source = event.gadget;
    return event.code;
  }

  // Runs Qt's event loop until a tool event is queued or, with a limit, the
  // time is up.
  void RunUntilQueued(int limit_ms) {
    QEventLoop loop;
    QEventLoop* outer = waiting_loop;
    waiting_loop = &loop;
    if (limit_ms >= 0) QTimer::singleShot(limit_ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    waiting_loop = outer;
  }

  void CloseFrame(int window) {
    auto it = frames.find(window);
    if (it == frames.end()) return;
    QPointer<FrameWindow> widget = it->second.widget;
    const int owner = it->second.owner;
    frames.erase(it);
    std::erase_if(gadgets, [window](const auto& entry) { return entry.second.window == window; });
    if (last_frame == window) last_frame = -1;
    std::vector<int> owned;
    for (const auto& [number, frame] : frames) {
      if (frame.owner == window) owned.push_back(number);
    }
    for (int number : owned) CloseFrame(number);
    if (FrameWindow* owner_widget = FrameWidget(owner)) owner_widget->activateWindow();
    delete widget.data();
  }

  // New gadgets go into the window opened last; nullptr when it is gone.
  QWidget* Parent() const { return FrameWidget(last_frame); }

  void Place(int gadget, QWidget* widget, Geometry g) {
    widget->setGeometry(g.x, g.y, g.width, g.height);
    widget->show();
    gadgets[gadget] = Gadget{widget, last_frame};
  }

  void RemoveGadget(int gadget) {
    auto it = gadgets.find(gadget);
    if (it == gadgets.end()) return;
    delete it->second.widget.data();
    gadgets.erase(it);
  }
};

QtUi::QtUi(int& argc, char** argv) : impl_(std::make_unique<Impl>()) {
  if (!QApplication::instance())
    impl_->own_application = std::make_unique<QApplication>(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("hotlap-eval"));
}

QtUi::~QtUi() {
  std::vector<int> open;
  for (const auto& entry : impl_->frames) open.push_back(entry.first);
  for (int window : open) impl_->CloseFrame(window);
}

// --- windows ---

bool QtUi::OpenFrame(int window, int x, int y, int width, int height, const std::string& title,
                     FrameStyle style, int owner) {
  impl_->CloseFrame(window);
  auto* widget = new FrameWindow(
      impl_->FrameWidget(owner), style, [this] { impl_->Queue(kCloseEvent, -1); },
      [this] { impl_->Queue(kEscapeEvent, -1); });
  widget->setWindowTitle(ToQString(title));
  widget->setFixedSize(width, height);
  widget->move(x, y);
  widget->show();
  // A new window takes the keyboard at once: a bare one has no title bar
  // to click, and Escape must reach it.
  widget->activateWindow();
  impl_->frames[window] = Impl::Frame{widget, owner};
  impl_->last_frame = window;
  return true;
}

void QtUi::CloseFrame(int window) { impl_->CloseFrame(window); }

// --- creating gadgets ---

void QtUi::AddImageView(int gadget, int x, int y, int width, int height, bool bordered) {
  impl_->RemoveGadget(gadget);
  QWidget* parent = impl_->Parent();
  if (!parent) return;
  auto* view =
      new ImageView(parent, bordered, [this, gadget] { impl_->Queue(kGadgetEvent, gadget); });
  impl_->Place(gadget, view, {x, y, width, height});
}

void QtUi::AddLogEditor(int gadget, int x, int y, int width, int height) {
  impl_->RemoveGadget(gadget);
  QWidget* parent = impl_->Parent();
  if (!parent) return;
  impl_->Place(gadget, new LogEditor(parent), {x, y, width, height});
}

void QtUi::AddTextField(int gadget, int x, int y, int width, int height, const std::string& text) {
  impl_->RemoveGadget(gadget);
  QWidget* parent = impl_->Parent();
  if (!parent) return;
  auto* field = new QLineEdit(ToQString(text), parent);
  QObject::connect(field, &QLineEdit::textEdited, field,
                   [this, gadget] { impl_->Queue(kGadgetEvent, gadget); });
  impl_->Place(gadget, field, {x, y, width, height});
}

void QtUi::AddPushButton(int gadget, int x, int y, int width, int height,
                         const std::string& caption) {
  impl_->RemoveGadget(gadget);
  QWidget* parent = impl_->Parent();
  if (!parent) return;
  auto* button = new QPushButton(ToQString(caption), parent);
  QObject::connect(button, &QPushButton::clicked, button,
                   [this, gadget] { impl_->Queue(kGadgetEvent, gadget); });
  impl_->Place(gadget, button, {x, y, width, height});
}

// --- operating on gadgets ---

void QtUi::SetText(int gadget, const std::string& text) {
  if (auto* editor = impl_->GadgetAs<LogEditor>(gadget)) {
    editor->SetText(text);
  } else if (auto* field = impl_->GadgetAs<QLineEdit>(gadget)) {
    field->setText(ToQString(text));
  } else if (auto* button = impl_->GadgetAs<QPushButton>(gadget)) {
    button->setText(ToQString(text));
  }
}

std::string QtUi::ReadText(int gadget) {
  if (auto* editor = impl_->GadgetAs<LogEditor>(gadget)) return editor->Text();
  if (auto* field = impl_->GadgetAs<QLineEdit>(gadget)) return field->text().toStdString();
  if (auto* button = impl_->GadgetAs<QPushButton>(gadget)) return button->text().toStdString();
  return {};
}

void QtUi::AppendLine(int gadget, const std::string& line) {
  if (auto* editor = impl_->GadgetAs<LogEditor>(gadget)) editor->AppendLine(line);
}

void QtUi::ClearText(int gadget) {
  if (auto* editor = impl_->GadgetAs<LogEditor>(gadget)) editor->Clear();
}

void QtUi::ShowImage(int gadget, const raster::Image* image) {
  if (auto* view = impl_->GadgetAs<ImageView>(gadget)) view->Show(image);
}

void QtUi::SetEnabled(int gadget, bool enabled) {
  if (QWidget* widget = impl_->GadgetWidget(gadget)) widget->setEnabled(enabled);
}

void QtUi::RemoveControl(int gadget) { impl_->RemoveGadget(gadget); }

void QtUi::MoveControl(int gadget, int x, int y, int width, int height) {
  if (QWidget* widget = impl_->GadgetWidget(gadget)) widget->setGeometry(x, y, width, height);
}

// --- events and time ---

int QtUi::WaitEvent() {
  while (impl_->queue.empty()) impl_->RunUntilQueued(-1);
  return impl_->Take();
}

int QtUi::WaitEvent(int limit_ms) {
  if (impl_->queue.empty() && limit_ms > 0) impl_->RunUntilQueued(limit_ms);
  return PollEvent();
}

int QtUi::PollEvent() {
  if (impl_->queue.empty()) QCoreApplication::processEvents(QEventLoop::AllEvents);
  return impl_->queue.empty() ? 0 : impl_->Take();
}

int QtUi::EventSource() const { return impl_->event_source; }

void QtUi::Pause(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// --- desktop services ---

std::string QtUi::ChooseFolder(const std::string& title, const std::string& initial) {
  if (impl_->preset_folder) return ChosenFolderText(*impl_->preset_folder);
  // Modal: the tool's other windows take no input while the dialog is open.
  const QString chosen = QFileDialog::getExistingDirectory(
      QApplication::activeWindow(), ToQString(title), ToQString(ChooserStartFolder(initial)),
      QFileDialog::ShowDirsOnly);
  return ChosenFolderText(chosen.toStdString());
}

void QtUi::PutClipboardText(const std::string& text) {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(ToQString(text));
}

void QtUi::PresetFolderChoice(std::optional<std::string> folder) {
  impl_->preset_folder = std::move(folder);
}

// --- test access ---

QWidget* QtUi::WidgetForTest(int gadget) const { return impl_->GadgetWidget(gadget); }

QWidget* QtUi::WindowForTest(int window) const { return impl_->FrameWidget(window); }

}  // namespace hl::ui
