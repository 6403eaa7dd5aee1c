#pragma once
#include <string>

#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::gamedata {

// "Load": asks for the base folder, logs its car files, collects the entry
// folders and reads the last car file into CarArea.
void ScanBaseFolder(state::AppState& s, ui::Ui& ui);

// A car file of the base folder: its name ends in ".car", in any case.
bool IsCarFileName(const std::string& name);

// Reads the car file at `path` into CarArea as the reference; CarFound tells
// whether it could be.
void ReadReferenceCar(state::AppState& s, const std::string& path);

}  // namespace hl::gamedata
