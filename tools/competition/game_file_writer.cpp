#include "tools/competition/game_file_writer.h"

#include <algorithm>

namespace hl::competition {

namespace {

int32_t NaturalLength(const GameFileContent& content) {
  const auto entries = static_cast<int32_t>(content.track_names.size());
  return kGameTrackListOffset + kGameTrackEntrySize * entries;
}

void PutName(std::vector<uint8_t>& bytes, size_t position, const std::string& name) {
  const size_t count = std::min(name.size(), static_cast<size_t>(kGameTrackNameSize));
  std::copy_n(name.begin(), count, bytes.begin() + static_cast<std::ptrdiff_t>(position));
}

}  // namespace

std::vector<uint8_t> BuildGameFile(const GameFileContent& content) {
  // Build the whole natural layout first, then cut or pad to the length asked for.
  std::vector<uint8_t> bytes(static_cast<size_t>(NaturalLength(content)), 0);
  bytes[kGameTyresOffset] = content.tyres;
  bytes[kGameConsumptionOffset] = content.consumption;
  bytes[kGameDamageOffset] = content.damage;
  bytes[kGameFuelMassOffset] = content.fuel_mass;
  bytes[kGameSpeedOffset] = content.speed;
  bytes[kGameTrackIndexOffset] = content.track_index;
  for (size_t i = 0; i < content.track_names.size(); ++i) {
    PutName(bytes, kGameTrackListOffset + kGameTrackEntrySize * i, content.track_names[i]);
  }
  if (content.total_length)
    bytes.resize(static_cast<size_t>(std::max(*content.total_length, 0)), 0);
  return bytes;
}

}  // namespace hl::competition
