#include "gamedata/screen_picture.h"

#include "state/state.h"
#include "toolkit/raster/image_files.h"
#include "toolkit/raster/resize.h"
#include "toolkit/text/text.h"

namespace hl::gamedata {

EntryFileNames FindFilesByKind(files::DirSlots& listings, const std::string& entry_dir) {
  EntryFileNames found{state::kMissingFile, state::kMissingFile, state::kMissingFile};
  constexpr int slot = state::id::kListingSlot;
  if (!listings.DirOpen(slot, entry_dir)) return found;
  while (listings.DirNext(slot)) {
    if (listings.DirEntryKind(slot) != files::EntryKind::File) continue;
    const std::string name = listings.DirEntryName(slot);
    const std::string kind = text::LowerCase(text::TrailingPart(name, 3));
    if (kind == "trk") {
      found.track = name;
    } else if (kind == "gam") {
      found.game = name;
    } else if (kind == "jpg" || kind == "bmp") {
      found.screen = name;
    }
  }
  listings.DirClose(slot);
  return found;
}

state::LoadedScreen LoadScreen(const std::string& path, const state::OutputNeeds& needs) {
  if (!needs.screen_pictures) return {.decodes = raster::PictureFileDecodes(path)};
  // The fit size lets a large JPEG decode at a reduced scale.
  std::optional<raster::Image> picture = raster::LoadPictureFile(path, kScreenWidth, kScreenHeight);
  if (!picture) return {};
  // A failed resize keeps the picture as it was decoded.
  if (auto scaled = raster::ResizeSmooth(*picture, kScreenWidth, kScreenHeight))
    picture = std::move(scaled);
  return {.decodes = true, .picture = std::move(picture)};
}

}  // namespace hl::gamedata
