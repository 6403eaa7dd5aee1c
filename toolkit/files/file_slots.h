#pragma once
// Files opened under small slot numbers chosen by the caller (0 for data
// files, 1 for the chart template, 2 for the report). Only regular files are
// opened for reading, so a FIFO or device in a competition folder can never
// block the tool. Operations on a slot that is not open answer 0 or empty.

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
  // Creates or empties the file and opens it for writing.
  bool FileCreate(int slot, const std::string& path);
  int64_t FileLength(int slot);
  // Reads up to destination.size() bytes; returns the number read.
  int64_t FileReadBlock(int slot, std::span<uint8_t> destination);
  // The next line without its end: CR, LF, CR LF or a zero byte end a line.
  std::string FileReadLine(int slot);
  bool FileAtEnd(int slot);
  // Writes the bytes of the text, nothing added; false when the write failed.
  bool FileWriteText(int slot, const std::string& text);
  // False when pending data could not be handed to the system.
  bool FileClose(int slot);
  void CloseAll();

 private:
  struct Slot;
  std::array<Slot*, kSlotCount> slots_{};
  Slot* Get(int slot);
};

// Replaces path with exactly these bytes: written to a new file in the same
// folder, then renamed over the old one, so a failed or interrupted write
// never leaves a truncated file where a good one was. A link at path is
// replaced, never followed.
bool ReplaceFileAtomically(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace hl::files
