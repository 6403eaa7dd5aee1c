#pragma once
// Files opened for reading under small slot numbers chosen by the caller (0
// for data files, 1 for the chart template). Only regular files are opened,
// so a FIFO or device in a competition folder can never block the tool.
// Operations on a slot that is not open answer 0 or empty.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace hl::files {

class FileSlots {
 public:
  static constexpr int kSlotCount = 8;

  FileSlots();
  ~FileSlots();
  FileSlots(const FileSlots&) = delete;
  FileSlots& operator=(const FileSlots&) = delete;

  bool FileOpenRead(int slot, const std::string& path);
  int64_t FileLength(int slot);
  // Reads up to destination.size() bytes; returns the number read.
  int64_t FileReadBlock(int slot, std::span<uint8_t> destination);
  // The next line without its end: CR, LF, CR LF or a zero byte end a line.
  std::string FileReadLine(int slot);
  bool FileAtEnd(int slot);
  // False when the slot was not open.
  bool FileClose(int slot);
  void CloseAll();

 private:
  struct Slot;
  std::array<Slot*, kSlotCount> slots_{};
  Slot* Get(int slot);
};

// Whether a replaced file is on disk before the call returns, or only whole
// for every reader (for files made again after a crash anyway).
enum class Durability { kFlushed, kAtomicOnly };

// Replaces path with exactly these bytes: written to a new file in the same
// folder, then renamed over the old one, so a failed or interrupted write
// never leaves a truncated file where a good one was. A link at path is
// replaced, never followed.
bool ReplaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes,
                           Durability durability = Durability::kFlushed);

}  // namespace hl::files
