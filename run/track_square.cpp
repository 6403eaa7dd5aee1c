#include "run/track_square.h"

#include "gamedata/data_file_reader.h"
#include "toolkit/raster/draw.h"
#include "toolkit/ui/headless_ui.h"
#include "trackfile/header.h"
#include "trackfile/objects.h"
#include "trackfile/picture.h"
#include "workflow/startup.h"

namespace hl::run {
namespace {

constexpr int kTrackSide = 512;

}  // namespace

std::optional<raster::Image> DrawTrackSquare(const std::string& track_path) {
  state::AppState s;
  ui::HeadlessUi ui;
  if (!workflow::InitState(s)) return std::nullopt;
  workflow::OpenMainWindow(s, ui);  // the drawing steps show what they draw
  s.FilePath = track_path;
  s.TrackFileLoaded = gamedata::ReadDataFile(s, track_path) == gamedata::DataFileRead::Read;
  trackfile::DecodeTrackHeader(s, ui);
  std::optional<raster::Image> square;
  if (!s.TrackFileInvalid) {
    trackfile::DrawTrackPicture(s, ui);
    trackfile::DrawGrid(s, ui);
    trackfile::DrawTrackObjects(s, ui);
    if (const raster::Image* picture = s.Images.Get(state::id::kLineImage)) {
      square = raster::Image::Create(kTrackSide, kTrackSide);
      if (square) raster::DrawImage(*square, 0, 0, *picture, kTrackSide, kTrackSide);
    }
  }
  workflow::ShutDown(s, ui);
  return square;
}

}  // namespace hl::run
