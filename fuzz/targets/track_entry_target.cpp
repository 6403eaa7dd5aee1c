#include <algorithm>
#include <span>
#include <string>

#include "app/penalty.h"
#include "fuzz/targets/fuzz_app.h"
#include "fuzz/targets/fuzz_targets.h"
#include "fuzz/targets/log_lines.h"
#include "trackfile/ghost.h"
#include "trackfile/header.h"
#include "trackfile/objects.h"
#include "trackfile/picture.h"

namespace hl::fuzzing {

namespace {

constexpr int kLog = state::id::kLogBox;

size_t CarLength(std::span<const uint8_t> input) {
  if (input.size() < 2) return 0;
  const size_t stated = input[0] | (size_t{input[1]} << 8);
  return std::min(stated, input.size() - 2);
}

}  // namespace

void FuzzTrackEntry(const uint8_t* data, size_t size) {
  FuzzApp& fuzz = FuzzApp::Fresh();
  state::AppState& s = fuzz.State();
  ui::HeadlessUi& ui = fuzz.Ui();
  const std::span<const uint8_t> input(data, size);
  const size_t car_length = CarLength(input);
  const auto car = input.subspan(std::min<size_t>(2, size), car_length);
  const auto track = input.subspan(std::min<size_t>(2, size) + car_length);

  s.StepCounter = 1;
  s.CarSize = fuzz.LoadIntoCarArea(car);
  s.CarFound = true;
  s.EntryDir = fuzz.Folder() + "entry/";
  s.TrackFileName = "fuzz.trk";
  s.FilePath = s.EntryDir + s.TrackFileName;
  s.DataSize = fuzz.LoadIntoFileRegion(track);
  s.TrackFileLoaded = true;

  trackfile::DecodeTrackHeader(s, ui);
  if (s.TrackFileInvalid) {
    Require(CountResultLines(ui.ReadText(kLog)) == 0, "a rejected track file logs no result");
    return;
  }
  trackfile::DrawTrackPicture(s, ui);
  trackfile::DrawGrid(s, ui);
  trackfile::DrawTrackObjects(s, ui);
  trackfile::DrawGhost(s, ui);
  Require(CountResultLines(ui.ReadText(kLog)) == 1,
          "an accepted track file logs one result");
  const raster::Image* picture = s.Images.Get(state::id::kLineImage);
  Require(picture && picture->Width() == 512 && picture->Height() == 560,
          "an accepted track file gets its 512 x 560 picture");

  app::ApplyPenalty(s, ui);
  Require(CountResultLines(ui.ReadText(kLog)) == 1,
          "a penalty keeps the one result line");
}

}  // namespace hl::fuzzing
