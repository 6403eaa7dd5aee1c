#pragma once
// The files of an entry folder by kind, and its screen picture loaded as the
// step shows it. Free of the program state, so the batch front end can run
// them ahead of the step on another core and get the very same answers.

#include <string>

#include "state/loaded_screen.h"
#include "state/output_needs.h"
#include "toolkit/files/dir_slots.h"

namespace hl::gamedata {

inline constexpr int kScreenWidth = 480;
inline constexpr int kScreenHeight = 360;

struct EntryFileNames {
  std::string track, game, screen;  // state::kMissingFile where there is none
};

// Files are recognised by their last three characters, not by an extension,
// so "mytrk" counts as a track file. The file listed last of a kind wins.
EntryFileNames FindFilesByKind(files::DirSlots& listings, const std::string& entry_dir);

// With screen pictures needed: decoded and scaled to the screen view. With
// only verdicts needed: whether it decodes, without its pixels.
state::LoadedScreen LoadScreen(const std::string& path, const state::OutputNeeds& needs);

}  // namespace hl::gamedata
