#include "gamedata/game_file.h"

#include "toolkit/text/text.h"

namespace hl::gamedata {

int GameSetting(const files::ByteView& game, int64_t offset) {
  return game.GetI8(offset).value_or(0);
}

std::string SelectedTrackName(const files::ByteView& game) {
  const int index = GameSetting(game, kTrackIndexOffset);
  if (index < 0) return "";
  const std::string raw =
      game.GetTextAt(kTrackListOffset + kTrackEntrySize * index, kTrackNameSize);
  return text::Cp1252ToUtf8(text::TrimSpaces(raw));
}

}  // namespace hl::gamedata
