#include "gamedata/data_file_reader.h"

namespace hl::gamedata {

DataFileRead ReadDataFile(state::AppState& s, const std::string& path) {
  constexpr int slot = state::id::kDataFileSlot;
  if (!s.Files.FileOpenRead(slot, path)) return DataFileRead::NotReadable;
  const int64_t length = s.Files.FileLength(slot);
  if (length > files::DataBuffer::kFileRegionSize) {
    s.Files.FileClose(slot);
    return DataFileRead::TooLarge;
  }
  const auto region = s.Data->FileRegion().first(static_cast<size_t>(length));
  // A file that shrank since its length was taken leaves stale bytes behind
  // the new end; counting only what arrived keeps them out of every decoder.
  s.DataSize = static_cast<int32_t>(s.Files.FileReadBlock(slot, region));
  s.Files.FileClose(slot);
  return DataFileRead::Read;
}

}  // namespace hl::gamedata
