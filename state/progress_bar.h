#pragma once
#include <cstdint>
#include <string>

#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::state {

// Draws image 20 (512 x 30) and shows it in ProgressView: "done / total   text"
// over a bar of done * 512 / total pixels, or the text alone when done is
// kFinished. Labels over 50 characters are cut to 47 and "...".
void ShowProgress(AppState& s, ui::Ui& ui, int64_t done, int64_t total, const std::string& text);

}  // namespace hl::state
