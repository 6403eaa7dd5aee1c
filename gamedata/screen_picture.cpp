#include "gamedata/screen_picture.h"

#include "toolkit/raster/image_files.h"
#include "toolkit/raster/resize.h"

namespace hl::gamedata {

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
