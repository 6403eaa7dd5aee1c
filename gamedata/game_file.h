#pragma once
// The fields of the game's settings file that the tool reads. Every read stays
// within the loaded file: a field beyond its end reads as 0, a track name
// beyond it as the empty text.

#include <cstdint>
#include <string>

#include "toolkit/files/byte_view.h"

namespace hl::gamedata {

constexpr int64_t kTyresOffset = 13;
constexpr int64_t kConsumptionOffset = 14;
constexpr int64_t kDamageOffset = 15;
constexpr int64_t kFuelMassOffset = 16;
constexpr int64_t kSpeedOffset = 21;
constexpr int64_t kTrackIndexOffset = 78;
constexpr int64_t kTrackListOffset = 90;
constexpr int64_t kTrackEntrySize = 1449;
constexpr int64_t kTrackNameSize = 39;

// A setting byte, read signed.
int GameSetting(const files::ByteView& game, int64_t offset);
// The name of the track entry the game file selects, spaces trimmed and
// converted to UTF-8; empty for a negative index.
std::string SelectedTrackName(const files::ByteView& game);

}  // namespace hl::gamedata
