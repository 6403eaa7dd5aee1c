#pragma once
#include "state/state.h"
#include "toolkit/text/error.h"
#include "toolkit/ui/ui.h"

namespace hl::workflow {

// Palette, lists, CurrentDir, DataBuffer, fonts and the placeholder picture.
// Fails, with a reason for the user, when the tool cannot work (no memory,
// a font missing); the state is then unusable.
Result<void> InitState(state::AppState& s);
// MainWindow and its eight gadgets in their creation order.
void OpenMainWindow(state::AppState& s, ui::Ui& ui);
// Releases windows, images, fonts, files and the buffer.
void ShutDown(state::AppState& s, ui::Ui& ui);

}  // namespace hl::workflow
