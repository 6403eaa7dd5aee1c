#include "tools/competition/game_file_writer.h"

#include <algorithm>

namespace hl::competition {

namespace {

int32_t NaturalLength(const GameFileSpec& spec) {
  const auto entries = static_cast<int32_t>(spec.track_names.size());
  return kGameTrackListOffset + kGameTrackEntrySize * entries;
}

void PutName(std::vector<uint8_t>& bytes, size_t position, const std::string& name) {
  const size_t count = std::min(name.size(), static_cast<size_t>(kGameTrackNameSize));
  std::copy_n(name.begin(), count, bytes.begin() + static_cast<std::ptrdiff_t>(position));
}

}  // namespace

std::vector<uint8_t> BuildGameFile(const GameFileSpec& spec) {
  // Build the whole natural layout first, then cut or pad to the length asked for.
  std::vector<uint8_t> bytes(static_cast<size_t>(NaturalLength(spec)), 0);
  bytes[kGameTyresOffset] = spec.tyres;
  bytes[kGameConsumptionOffset] = spec.consumption;
  bytes[kGameDamageOffset] = spec.damage;
  bytes[kGameFuelMassOffset] = spec.fuel_mass;
  bytes[kGameSpeedOffset] = spec.speed;
  bytes[kGameTrackIndexOffset] = spec.track_index;
  for (size_t i = 0; i < spec.track_names.size(); ++i) {
    PutName(bytes, kGameTrackListOffset + kGameTrackEntrySize * i, spec.track_names[i]);
  }
  if (spec.total_length) bytes.resize(static_cast<size_t>(std::max(*spec.total_length, 0)), 0);
  return bytes;
}

}  // namespace hl::competition
