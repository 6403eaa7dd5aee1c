#pragma once
// Writes the game's settings file: five race settings, the selected track's
// index and the list of track entries. Used by the sample generator and by
// test fixtures.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hl::competition {

constexpr int kGameTyresOffset = 13;
constexpr int kGameConsumptionOffset = 14;
constexpr int kGameDamageOffset = 15;
constexpr int kGameFuelMassOffset = 16;
constexpr int kGameSpeedOffset = 21;
constexpr int kGameTrackIndexOffset = 78;
constexpr int kGameTrackListOffset = 90;
constexpr int kGameTrackEntrySize = 1449;
constexpr int kGameTrackNameSize = 39;

// Each setting is the raw byte the game stores (the tool reads it signed,
// so 200 stands for -56).
struct GameFileContent {
  uint8_t tyres = 100;
  uint8_t consumption = 100;
  uint8_t fuel_mass = 60;
  uint8_t damage = 0;
  uint8_t speed = 100;
  uint8_t track_index = 0;
  // Raw bytes, each written to the start of its 1,449-byte entry and cut
  // to the 39-byte name field (zero-padded when shorter).
  std::vector<std::string> track_names;
  // The file's length: shorter cuts the file, longer pads it with zeros.
  // By default the end of the last track entry (at least the fixed fields).
  std::optional<int32_t> total_length;
};

std::vector<uint8_t> BuildGameFile(const GameFileContent& content);

}  // namespace hl::competition
