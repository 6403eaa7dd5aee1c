#include <array>
#include <string>
#include <vector>

#include "fuzz/seeds/seed_sets.h"
#include "tools/competition/track_file_writer.h"

namespace hl::fuzzing {

namespace {

using competition::BuildTrackFile;
using competition::GhostSample;
using competition::MakeCarBlock;
using competition::Run;
using competition::TrackFileContent;
using competition::TrackObject;

// Long runs of changing colours fill the picture with few pairs, which keeps
// the seeds small.
std::vector<competition::RunPair> StripedPicture() {
  std::vector<competition::RunPair> runs;
  for (int i = 0; i < 64; ++i) runs.push_back(Run(i % 16, 4095));
  runs.push_back(Run(3, 64));
  return runs;
}

std::array<uint8_t, 4096> PatternGrid() {
  std::array<uint8_t, 4096> grid{};
  for (size_t k = 0; k < grid.size(); ++k) grid[k] = static_cast<uint8_t>((k * 37) % 251);
  return grid;
}

// Every drawn kind, each at an ordinary place and at an edge of its bounds,
// and one kind that is never drawn.
std::vector<TrackObject> MixedObjects() {
  return {
      {10, 200, 300, 0},    {10, 2, 1020, 0},    {10, 0, 500, 0},   {9, 400, 400, 0},
      {9, 2, 2, 0},         {17, 500, 500, 183}, {18, 700, 300, 0}, {17, 60, 60, 243},
      {18, 1000, 1000, 61}, {11, 300, 300, 0},   {10, -2, -2, 0},   {9, 1022, 1022, 0},
  };
}

std::vector<GhostSample> Ghost(int count) {
  std::vector<GhostSample> ghost;
  for (int i = 0; i < count; ++i) {
    ghost.push_back({static_cast<uint16_t>(295 + 151 * i), static_cast<uint16_t>(309 + 97 * i)});
  }
  ghost.push_back({0xFFFF, 0xFFFF});
  return ghost;
}

TrackFileContent PlainContent(const std::vector<uint8_t>& car) {
  TrackFileContent content;
  content.scale = 100;
  content.grid_threshold = 40;
  content.runs = StripedPicture();
  content.grid = PatternGrid();
  content.objects = MixedObjects();
  content.slots[0] = {5123, "Trainer", MakeCarBlock("Comet RS", 3)};
  content.slots[1] = {4711, "Anna", car};
  content.ghost = Ghost(30);
  return content;
}

// The input of the track target: the car file's length in two bytes, the car
// file, then the track file.
Seed Entry(std::string name, const std::vector<uint8_t>& car_file,
           const std::vector<uint8_t>& track) {
  Seed seed{
      std::move(name),
      {static_cast<uint8_t>(car_file.size() & 0xFF), static_cast<uint8_t>(car_file.size() >> 8)}};
  seed.bytes.insert(seed.bytes.end(), car_file.begin(), car_file.end());
  seed.bytes.insert(seed.bytes.end(), track.begin(), track.end());
  return seed;
}

}  // namespace

std::vector<Seed> TrackEntrySeeds() {
  const std::vector<uint8_t> car = MakeCarBlock("Falcon 2.0", 7);
  std::vector<uint8_t> car_file = {'c', 'a', 'r'};  // the block at an odd offset
  car_file.insert(car_file.end(), car.begin(), car.end());
  std::vector<Seed> seeds;

  seeds.push_back(Entry("plain", car_file, BuildTrackFile(PlainContent(car))));

  TrackFileContent no_time = PlainContent(car);
  no_time.slots[1].time = 6000;
  no_time.slots[0].time = 5999;
  no_time.ghost.clear();
  seeds.push_back(Entry("slot0_best_no_ghost", car, BuildTrackFile(no_time)));

  TrackFileContent scale_zero = PlainContent(MakeCarBlock("Other", 9));
  scale_zero.scale = 0;
  scale_zero.grid_threshold = 255;
  seeds.push_back(Entry("scale_zero_other_car", {}, BuildTrackFile(scale_zero)));

  TrackFileContent odd_texts = PlainContent(car);
  odd_texts.scale = 255;
  odd_texts.slots[1] = {-250, "  G\xF6sta Long Name", car};
  odd_texts.slots[0] = {87, "\t\x80\x9F", car};
  seeds.push_back(Entry("odd_times_and_names", std::vector<uint8_t>(car.begin(), car.begin() + 700),
                        BuildTrackFile(odd_texts)));

  TrackFileContent counts = PlainContent(car);
  counts.object_count = 32767;
  counts.ghost_word = -3;
  seeds.push_back(Entry("counts_beyond", car, BuildTrackFile(counts)));

  TrackFileContent negative_pairs = PlainContent(car);
  negative_pairs.pair_count = -1;
  negative_pairs.ghost_word = 32767;
  seeds.push_back(Entry("negative_pairs", car, BuildTrackFile(negative_pairs)));

  // F below the end of the objects: the record block overlaps the track data.
  TrackFileContent overlap = PlainContent(car);
  overlap.fixed_size = 30;
  seeds.push_back(Entry("record_block_over_picture", car, BuildTrackFile(overlap)));

  // Pairs that end before the picture is full, then the grid as pixel data.
  TrackFileContent short_runs = PlainContent(car);
  short_runs.runs.assign(300, Run(5, 1));
  short_runs.runs.push_back(Run(2, 0));
  short_runs.objects.clear();
  seeds.push_back(Entry("short_picture", car, BuildTrackFile(short_runs)));

  const std::vector<uint8_t> plain = BuildTrackFile(PlainContent(car));
  seeds.push_back(
      Entry("cut_in_record_block", car, std::vector<uint8_t>(plain.begin(), plain.end() - 400)));
  seeds.push_back(
      Entry("header_only", {}, std::vector<uint8_t>(plain.begin(), plain.begin() + 24)));
  return seeds;
}

}  // namespace hl::fuzzing
