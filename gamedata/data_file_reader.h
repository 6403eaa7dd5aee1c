#pragma once
// Reads an entry's track or game file whole to offset 0 of DataBuffer.

#include <string>

#include "state/state.h"

namespace hl::gamedata {

enum class DataFileRead {
  Read,
  NotReadable,  // missing, not a regular file, or no permission
  TooLarge,     // would run into CarArea; nothing was read
};

// On Read, DataSize is the number of bytes that arrived; otherwise DataSize
// and DataBuffer are left as they were.
DataFileRead ReadDataFile(state::AppState& s, const std::string& path);

}  // namespace hl::gamedata
