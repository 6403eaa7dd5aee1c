#include "toolkit/files/dir_slots.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <memory>

namespace hl::files {
namespace {

// Follows links, so a link to a folder counts as a folder.
EntryKind KindOf(const std::string& folder, const dirent& entry) {
  if (entry.d_type == DT_DIR) return EntryKind::Directory;
  if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return EntryKind::File;
  struct stat info {};
  const std::string path = folder + "/" + entry.d_name;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? EntryKind::Directory
                                                                   : EntryKind::File;
}

}  // namespace

bool DirSlots::DirOpen(int slot, const std::string& directory) {
  if (slot < 0 || slot >= kSlotCount) return false;
  DirClose(slot);
  const std::string folder = directory.empty() ? "." : directory;
  const std::unique_ptr<DIR, int (*)(DIR*)> stream(::opendir(folder.c_str()), ::closedir);
  if (!stream) return false;

  std::vector<Entry> entries;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(stream.get());
    if (!entry) break;
    entries.push_back({entry->d_name, KindOf(folder, *entry)});
  }
  if (errno != 0) return false;

  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.name < b.name; });
  listings_[static_cast<size_t>(slot)] = Listing{.open = true, .entries = std::move(entries)};
  return true;
}

// `next` runs from 0 (nothing taken yet) to entries.size() + 1 (past the end);
// in between, entry next - 1 is the current one.
bool DirSlots::DirNext(int slot) {
  if (slot < 0 || slot >= kSlotCount) return false;
  Listing& listing = listings_[static_cast<size_t>(slot)];
  if (!listing.open || listing.next > listing.entries.size()) return false;
  ++listing.next;
  return listing.next <= listing.entries.size();
}

std::string DirSlots::DirEntryName(int slot) const {
  if (slot < 0 || slot >= kSlotCount) return {};
  const Listing& listing = listings_[static_cast<size_t>(slot)];
  if (listing.next == 0 || listing.next > listing.entries.size()) return {};
  return listing.entries[listing.next - 1].name;
}

EntryKind DirSlots::DirEntryKind(int slot) const {
  if (slot < 0 || slot >= kSlotCount) return EntryKind::None;
  const Listing& listing = listings_[static_cast<size_t>(slot)];
  if (listing.next == 0 || listing.next > listing.entries.size()) return EntryKind::None;
  return listing.entries[listing.next - 1].kind;
}

void DirSlots::DirClose(int slot) {
  if (slot < 0 || slot >= kSlotCount) return;
  listings_[static_cast<size_t>(slot)] = Listing{};
}

}  // namespace hl::files
