#pragma once
// An entry's screen picture loaded as the step shows it. Free of the program
// state, so the batch front end can load it on another core and get the
// very same answer.

#include <string>

#include "state/loaded_screen.h"
#include "state/output_needs.h"

namespace hl::gamedata {

inline constexpr int kScreenWidth = 480;
inline constexpr int kScreenHeight = 360;

// With screen pictures needed: decoded and scaled to the screen view. With
// only verdicts needed: whether it decodes, without its pixels.
state::LoadedScreen LoadScreen(const std::string& path, const state::OutputNeeds& needs);

}  // namespace hl::gamedata
