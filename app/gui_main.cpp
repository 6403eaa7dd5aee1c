// hotlap-eval-gui: the evaluation window. Started by hotlap-eval when it is
// run without arguments; a separate program so that batch runs never load
// the GUI toolkit's libraries.

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <cstdlib>
#include <iostream>

#include "app/decisions/decisions.h"
#include "app/decisions/window_loop.h"
#include "app/evidence_window/evidence_window.h"
#include "toolkit/ui/qt/qt_ui.h"
#include "workflow/startup.h"

namespace {

constexpr int kNoWindow = 1;
constexpr const char* kIconName = "hotlap-eval";

bool IsSet(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

// Without a display Qt aborts with a page about platform plugins; a user at
// a terminal is better served by one line that names the batch mode. A
// platform chosen explicitly (offscreen, vnc, ...) is left for Qt to judge.
bool DisplayMissing() {
  return !IsSet("QT_QPA_PLATFORM") && !IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY");
}

// The icon the package installs, found relative to this program so that an
// unpacked tree shows it too; the icon theme's copy otherwise (build tree).
QIcon InstalledIcon() {
  const QString icons = QCoreApplication::applicationDirPath() + "/" HOTLAP_ICON_DIR "/";
  QIcon icon;
  for (const char* size : {"48x48", "256x256"}) {
    const QString file = icons + size + "/apps/" + kIconName + ".png";
    if (QFileInfo::exists(file)) icon.addFile(file);
  }
  return icon.isNull() ? QIcon::fromTheme(kIconName) : icon;
}

// Lets the desktop match the window to its menu entry and metainfo.
void PresentAsInstalledApplication() {
  QGuiApplication::setDesktopFileName(QStringLiteral(HOTLAP_APP_ID));
  QGuiApplication::setWindowIcon(InstalledIcon());
}

}  // namespace

int main(int argc, char** argv) {
  if (DisplayMissing()) {
    std::cerr << "hotlap-eval: the window needs a display (DISPLAY or WAYLAND_DISPLAY);"
                 " without one, evaluate with --batch BASEDIR (see hotlap-eval --help)\n";
    return kNoWindow;
  }
  hl::ui::QtUi ui(argc, argv);
  PresentAsInstalledApplication();
  hl::state::AppState s;
  if (const auto started = hl::workflow::InitState(s); !started) {
    std::cerr << started.error().Describe() << '\n';
    return kNoWindow;
  }
  hl::workflow::OpenMainWindow(s, ui);
  {
    hl::decisions::Decisions decisions;
    hl::evidence::EvidenceWindow evidence(decisions, s);
    hl::decisions::RunWindowLoop(s, ui, decisions, [&evidence] { evidence.Follow(); });
  }
  hl::workflow::ShutDown(s, ui);
  return 0;
}
