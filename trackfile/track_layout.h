#pragma once
// Where the blocks of the game's track file lie. Most positions follow from
// numbers stored in the file itself, so every reader checks its block
// against the bytes that were really loaded before it uses it.

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "toolkit/files/byte_view.h"

namespace hl::trackfile::layout {

constexpr int16_t kVersion = 0x105;
constexpr std::string_view kMagic = "VK";
constexpr int64_t kMagicAt = 2;
constexpr int64_t kFixedSizeAt = 4;  // F, also the position of the record block
constexpr int64_t kScaleAt = 8;
constexpr int64_t kGridThresholdAt = 9;
constexpr int64_t kPairCountAt = 16;  // N, the number of picture pairs
constexpr int64_t kPictureAt = 20;    // also the size of the header proper

// GridBlock = kGridAfterPairs + 2N, ObjectBlock = kObjectCountAfterPairs + 2N.
constexpr int64_t kGridAfterPairs = kPictureAt + 2;
constexpr int64_t kGridSide = 64;
constexpr int64_t kGridSize = kGridSide * kGridSide;
constexpr int64_t kObjectCountAfterPairs = kGridAfterPairs + kGridSize;
constexpr int64_t kObjectRecordSize = 8;
// A negative N would lay the grid and the objects over the header; their
// positions then mean nothing even where they lie inside the data.
constexpr bool BlocksAfterHeader(int64_t grid_block) { return grid_block >= kGridAfterPairs; }

// The record block, relative to R = F.
constexpr int64_t SlotTimeAt(int slot) { return 2 * slot; }
constexpr int64_t SlotDriverAt(int slot) { return 14 + 13 * slot; }
constexpr int64_t SlotCarAt(int slot) { return 105 + 1344 * slot; }
constexpr int64_t kCarBlockSize = 1344;
constexpr int64_t kTextFieldWidth = 12;  // driver and car names
constexpr int64_t kGhostWordAt = 9625;
constexpr int64_t kGhostSampleSize = 12;
// The record block up to the end of slot 1's car: all the result line and
// the car check need.
constexpr int64_t kResultPartSize = SlotCarAt(1) + kCarBlockSize;

// How many of `count` records of `record_size` bytes from `first` on lie
// wholly inside `data`.
inline int64_t RecordsInside(const files::ByteView& data, int64_t first, int64_t record_size,
                             int64_t count) {
  if (count <= 0 || first < 0 || first > data.Size()) return 0;
  return std::min(count, (data.Size() - first) / record_size);
}

}  // namespace hl::trackfile::layout
