#include "gamedata/base_folder.h"

#include <algorithm>

#include "toolkit/files/paths.h"
#include "toolkit/text/text.h"

namespace hl::gamedata {

namespace {

constexpr int kLog = state::id::kLogBox;

// Collects the entry folders and notes every car file; false when the base
// folder cannot be listed.
bool ListBaseFolder(state::AppState& s, ui::Ui& ui) {
  constexpr int slot = state::id::kListingSlot;
  if (!s.Listings.DirOpen(slot, s.BaseDir)) return false;
  while (s.Listings.DirNext(slot)) {
    const std::string name = s.Listings.DirEntryName(slot);
    const files::EntryKind kind = s.Listings.DirEntryKind(slot);
    if (kind == files::EntryKind::Directory) {
      if (name != "." && name != "..") s.FolderList.Append(name);
    } else if (kind == files::EntryKind::File && IsCarFileName(name)) {
      s.CarFound = true;
      s.CarFileName = name;
      s.Record.car_files.push_back(name);
      ui.AppendLine(kLog, "Car: " + name);
    }
  }
  s.Listings.DirClose(slot);
  return true;
}

}  // namespace

bool IsCarFileName(const std::string& name) {
  return text::TextEquals(text::LowerCase(files::PathExtension(name)), "car");
}

void ReadReferenceCar(state::AppState& s, const std::string& path) {
  constexpr int slot = state::id::kDataFileSlot;
  s.CarFound = true;
  if (!s.Files.FileOpenRead(slot, path)) {
    s.CarFound = false;
    return;
  }
  const int64_t length = s.Files.FileLength(slot);
  s.CarSize = static_cast<int32_t>(std::min<int64_t>(length, INT32_MAX));
  if (length < files::DataBuffer::kCarAreaSize) {
    const auto area = s.Data->CarArea().first(static_cast<size_t>(length));
    s.Files.FileReadBlock(slot, area);
  } else {
    s.CarFound = false;
  }
  s.Files.FileClose(slot);
}

void ScanBaseFolder(state::AppState& s, ui::Ui& ui) {
  ui.ClearText(kLog);
  s.FolderList.Clear();
  s.ReportText.clear();
  s.TrackBaseName.clear();
  // Only a car file of this base folder may count as the reference.
  s.CarFound = false;
  s.BaseDir = ui.ChooseFolder("Directory", s.CurrentDir);
  s.Record = record::CompetitionRecord{.folder = s.BaseDir};
  if (s.BaseDir.empty()) return;
  if (!ListBaseFolder(s, ui)) return;
  if (s.CarFound) ReadReferenceCar(s, s.BaseDir + s.CarFileName);
  if (s.CarFound) s.Record.car_file = s.CarFileName;
  if (!s.CarFound) ui.AppendLine(kLog, "no car!");
}

}  // namespace hl::gamedata
