// The stages of one entry, each timed alone on an entry that exercises it
// fully, and the whole pipeline averaged over every entry.

#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_app.h"
#include "gamedata/entry_files.h"
#include "gamedata/stats_panel.h"
#include "publish/page_pictures.h"
#include "toolkit/raster/image_files.h"
#include "trackfile/ghost.h"
#include "trackfile/header.h"
#include "trackfile/objects.h"
#include "trackfile/picture.h"
#include "workflow/steps.h"

namespace hl::bench {
namespace {

// The third entry of every eight has no screen picture, so FindEntryFiles on
// it is the lookup and the track read without the screen.
constexpr int kEntryWithoutScreen = 3;

BenchApp& App() {
  static BenchApp app;
  return app;
}

void PositionBefore(state::TextList& list, int index) {
  list.ResetPosition();
  for (int i = 0; i < index; ++i) list.Next();
}

void BM_FindEntryFilesWithoutScreen(benchmark::State& state) {
  BenchApp& a = App();
  a.s.StepCounter = kEntryWithoutScreen + 1;
  for (auto _ : state) {
    PositionBefore(a.s.FolderList, kEntryWithoutScreen);
    gamedata::FindEntryFiles(a.s, a.ui);
  }
  if (!a.s.TrackFileLoaded) state.SkipWithError("the track file was not read");
}

void BM_DecodeTrackHeader(benchmark::State& state) {
  BenchApp& a = App();
  a.OpenEntry(kFullEntry);
  for (auto _ : state) {
    a.ui.ClearText(state::id::kLogBox);
    trackfile::DecodeTrackHeader(a.s, a.ui);
  }
}

void BM_DrawTrackPicture(benchmark::State& state) {
  BenchApp& a = App();
  a.OpenEntry(kFullEntry);
  for (auto _ : state) trackfile::DrawTrackPicture(a.s, a.ui);
}

// The drawing steps after the picture add to image 1; drawing them again
// onto the same picture costs what drawing them once does.
template <void (*Step)(state::AppState&, ui::Ui&)>
void BM_DrawingStep(benchmark::State& state) {
  BenchApp& a = App();
  a.OpenEntry(kFullEntry);
  trackfile::DrawTrackPicture(a.s, a.ui);
  for (auto _ : state) {
    a.ui.ClearText(state::id::kLogBox);
    Step(a.s, a.ui);
  }
}

void BM_ShowGameSettings(benchmark::State& state) {
  BenchApp& a = App();
  a.OpenEntry(kFullEntry);
  for (auto _ : state) {
    a.ui.ClearText(state::id::kLogBox);
    gamedata::ShowGameSettings(a.s, a.ui);
  }
}

// What FindEntryFiles does with the screen picture: loaded with the fit
// size that lets libjpeg decode at a reduced scale, then scaled smoothly.
void BM_ScreenLoadAndScale(benchmark::State& state) {
  BenchApp& a = App();
  a.OpenEntry(kFullEntry);
  const std::string path = a.s.EntryDir + a.s.ScreenFileName;
  for (auto _ : state) {
    if (!a.s.Images.LoadImage(state::id::kScaledScreenImage, path, 480, 360)) {
      state.SkipWithError("the screen picture does not load");
      break;
    }
    a.s.Images.ResizeImage(state::id::kScaledScreenImage, 480, 360);
  }
  // Shows whether the reduced decode really happened.
  a.s.Images.LoadImage(state::id::kScaledScreenImage, path, 480, 360);
  state.SetLabel("decoded at " +
                 std::to_string(a.s.Images.ImageWidth(state::id::kScaledScreenImage)) + " x " +
                 std::to_string(a.s.Images.ImageHeight(state::id::kScaledScreenImage)));
}

// The same without the fit size, to show what the reduced decode saves.
void BM_ScreenLoadFullSizeAndScale(benchmark::State& state) {
  BenchApp& a = App();
  a.OpenEntry(kFullEntry);
  const std::string path = a.s.EntryDir + a.s.ScreenFileName;
  for (auto _ : state) {
    a.s.Images.LoadImage(state::id::kScaledScreenImage, path);
    a.s.Images.ResizeImage(state::id::kScaledScreenImage, 480, 360);
  }
}

// One "Next" press after another, round the whole competition.
void BM_EntryPipeline(benchmark::State& state) {
  BenchApp& a = App();
  const int entries = a.EntryCount();
  int next = 0;
  for (auto _ : state) {
    PositionBefore(a.s.FolderList, next);
    a.s.StepCounter = next + 1;
    workflow::RunEntryPipeline(a.s, a.ui);
    next = (next + 1) % entries;
  }
}

// The pictures of one entry as an export writes them: the finished track
// drawing as a palette PNG, the scaled screen as the page's JPEG.
template <int kImage>
const raster::Image& EntryPicture() {
  static const raster::Image picture = [] {
    BenchApp& a = App();
    PositionBefore(a.s.FolderList, kFullEntry);
    a.s.StepCounter = kFullEntry + 1;
    workflow::RunEntryPipeline(a.s, a.ui);
    return *a.s.Images.Get(kImage);
  }();
  return picture;
}

void BM_EncodeTrackPicture(benchmark::State& state) {
  const raster::Image& track = EntryPicture<state::id::kLineImage>();
  for (auto _ : state)
    benchmark::DoNotOptimize(raster::EncodePng(track, raster::PngCompression::kQuick));
  state.SetLabel(std::to_string(track.Width()) + " x " + std::to_string(track.Height()));
}

void BM_EncodeScreenPicture(benchmark::State& state) {
  const raster::Image& screen = EntryPicture<state::id::kScaledScreenImage>();
  for (auto _ : state) benchmark::DoNotOptimize(publish::EncodeScreenPicture(screen));
  state.SetLabel(std::to_string(screen.Width()) + " x " + std::to_string(screen.Height()));
}

BENCHMARK(BM_FindEntryFilesWithoutScreen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeTrackHeader)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawTrackPicture)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawingStep<trackfile::DrawGrid>)->Name("BM_DrawGrid")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawingStep<trackfile::DrawTrackObjects>)
    ->Name("BM_DrawTrackObjects")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawingStep<trackfile::DrawGhost>)
    ->Name("BM_DrawGhost")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShowGameSettings)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScreenLoadAndScale)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScreenLoadFullSizeAndScale)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EntryPipeline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeTrackPicture)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeScreenPicture)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace hl::bench
