#pragma once
// Directory listings under slot numbers. Entries are sorted by name in byte
// order so every run is reproducible; "." and ".." are listed like others.

#include <array>
#include <string>
#include <vector>

namespace hl::files {

enum class EntryKind { None = 0, File = 1, Directory = 2 };

class DirSlots {
 public:
  static constexpr int kSlotCount = 8;

  // "pattern" other than "" or "*.*" is not needed by the tool and is
  // treated as "*.*". False when the folder cannot be read.
  bool DirOpen(int slot, const std::string& directory);
  bool DirNext(int slot);
  std::string DirEntryName(int slot) const;
  // Directory for folders (links to folders included), File for anything else.
  EntryKind DirEntryKind(int slot) const;
  void DirClose(int slot);

 private:
  struct Entry {
    std::string name;
    EntryKind kind;
  };
  struct Listing {
    bool open = false;
    std::vector<Entry> entries;
    size_t next = 0;  // index of the entry DirNext makes current
  };
  std::array<Listing, kSlotCount> listings_{};
};

}  // namespace hl::files
