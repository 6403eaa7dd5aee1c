#pragma once
// Writes the game's track file from a description: header, run-length
// picture, grid, object records, the result table and the ghost. Used by the
// sample generator and by test fixtures.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hl::competition {

constexpr int kCarBlockSize = 1344;

struct RunPair {
  uint8_t first = 0;   // low 4 bits colour index, high 4 bits low bits of the length
  uint8_t second = 0;  // high 8 bits of the length
};
// A run of `length` (0..4095) pixels of palette colour `colour` (0..15).
RunPair Run(int colour, int length);

constexpr int kTrackPictureSide = 512;
// Run-length codes a 512 x 512 picture of palette indices (0..15), given
// row by row from the top (index y * 512 + x), in the order the game lays
// out its runs: bottom row first. Missing pixels count as colour 0.
std::vector<RunPair> EncodePicture(const std::vector<uint8_t>& colour_indices);

struct TrackObject {
  uint8_t type = 0;
  int16_t x = 0;  // half pixels
  int16_t y = 0;  // half pixels, counted upward
  uint8_t angle = 0;
};

struct GhostSample {
  uint16_t gx = 0;
  uint16_t gy = 0;
};

// The date of the record as the game stores it: three words, not checked.
struct StoredDate {
  int16_t year = 2004;
  int16_t month = 6;
  int16_t day = 12;
};

struct ResultSlot {
  int16_t time = 6000;  // hundredths; 6000 or more: no time
  std::string driver;   // raw bytes; up to 13 written (the field), the tool reads 12
  std::vector<uint8_t> car = std::vector<uint8_t>(kCarBlockSize, 0);  // 1344 bytes
};

// A 1344-byte car block that begins with `name` (raw bytes) and is filled
// with bytes derived from `seed`.
std::vector<uint8_t> MakeCarBlock(const std::string& name, uint32_t seed);

struct TrackFileContent {
  uint16_t version = 0x105;
  std::string magic = "VK";
  uint8_t scale = 100;         // TrackScale
  uint8_t grid_threshold = 0;  // GridThreshold
  std::vector<RunPair> runs;   // N = runs.size() unless pair_count is set
  std::optional<int32_t> pair_count;
  std::array<uint8_t, 4096> grid{};
  std::vector<TrackObject> objects;  // ObjectCount = objects.size() unless object_count is set
  std::optional<int16_t> object_count;
  std::array<ResultSlot, 7> slots{};
  std::vector<GhostSample> ghost;  // W = 2 * ghost.size() unless ghost_word is set
  std::optional<int16_t> ghost_word;
  StoredDate record_date;
  // F; by default the end of the objects + 536. The record block is written
  // at F, or right after the objects when F is smaller (F is stored as given).
  std::optional<int32_t> fixed_size;
};

// The overrides (pair_count, object_count, ghost_word, fixed_size) change only
// the stored numbers; the bytes laid out are always those of runs, objects
// and ghost, so damaged files are easy to make.
std::vector<uint8_t> BuildTrackFile(const TrackFileContent& content);

}  // namespace hl::competition
