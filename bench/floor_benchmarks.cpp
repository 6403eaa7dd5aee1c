// The floor: plain full-size libjpeg decodes of the competition's screen
// pictures, next to the tool's own loading of the same pictures.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/bench_competition.h"
#include "bench/jpeg_floor.h"
#include "toolkit/raster/image_table.h"

namespace hl::bench {
namespace {

const std::vector<std::string>& Screens() {
  static const std::vector<std::string> paths = ScreenJpegPaths(BenchmarkCompetition());
  return paths;
}

void BM_JpegFloorOne(benchmark::State& state) {
  const auto bytes = ReadFileBytes(Screens().front());
  std::vector<uint8_t> pixels;
  for (auto _ : state) {
    if (!bytes || !DecodeJpegFullSize(*bytes, pixels)) {
      state.SkipWithError("the screen picture does not decode");
      break;
    }
  }
}

void BM_JpegFloorAll(benchmark::State& state) {
  std::vector<uint8_t> pixels;
  for (auto _ : state) {
    for (const std::string& path : Screens()) {
      const auto bytes = ReadFileBytes(path);
      if (!bytes || !DecodeJpegFullSize(*bytes, pixels)) state.SkipWithError("decode failed");
    }
  }
  state.SetLabel(std::to_string(Screens().size()) + " pictures");
}

// The tool's load of the same pictures: reduced decode and smooth scaling.
void BM_ScreenLoadAndScaleAll(benchmark::State& state) {
  raster::ImageTable images;
  for (auto _ : state) {
    for (const std::string& path : Screens()) {
      if (!images.LoadImage(0, path, 480, 360)) state.SkipWithError("load failed");
      images.ResizeImage(0, 480, 360);
    }
  }
  state.SetLabel(std::to_string(Screens().size()) + " pictures");
}

BENCHMARK(BM_JpegFloorOne)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_JpegFloorAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScreenLoadAndScaleAll)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace hl::bench
