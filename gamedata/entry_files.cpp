#include "gamedata/entry_files.h"

#include "state/progress_bar.h"
#include "gamedata/data_file_reader.h"
#include "toolkit/files/sha256.h"
#include "toolkit/raster/image_files.h"
#include "toolkit/text/text.h"

namespace hl::gamedata {

namespace {

constexpr int kLog = state::id::kLogBox;
constexpr int kScreenWidth = 480;
constexpr int kScreenHeight = 360;

// Files are recognised by their last three characters, not by an extension,
// so "mytrk" counts as a track file. The file listed last of a kind wins.
void FindFilesByKind(state::AppState& s) {
  constexpr int slot = state::id::kListingSlot;
  if (!s.Listings.DirOpen(slot, s.EntryDir)) return;
  while (s.Listings.DirNext(slot)) {
    if (s.Listings.DirEntryKind(slot) != files::EntryKind::File) continue;
    const std::string name = s.Listings.DirEntryName(slot);
    const std::string kind = text::LowerCase(text::TrailingPart(name, 3));
    if (kind == "trk") {
      s.TrackFileName = name;
    } else if (kind == "gam") {
      s.GameFileName = name;
    } else if (kind == "jpg" || kind == "bmp") {
      s.ScreenFileName = name;
    }
  }
  s.Listings.DirClose(slot);
}

std::optional<std::string> FoundFile(const std::string& name) {
  if (name == state::kMissingFile) return std::nullopt;
  return name;
}

record::EntryRecord& RecordEntryFiles(state::AppState& s, const std::string& entry_name) {
  record::EntryRecord& entry = s.Record.entries.emplace_back();
  entry.folder = entry_name;
  entry.track_file = FoundFile(s.TrackFileName);
  entry.game_file = FoundFile(s.GameFileName);
  entry.screen_file = FoundFile(s.ScreenFileName);
  return entry;
}

void ShowPlaceholder(state::AppState& s, ui::Ui& ui, int gadget) {
  ui.ShowImage(gadget, s.Images.Get(state::id::kPlaceholderImage));
}

void LoadTrackFile(state::AppState& s, ui::Ui& ui, const std::string& entry_name,
                   record::EntryRecord& entry) {
  if (s.TrackFileName == state::kMissingFile) {
    ShowPlaceholder(s, ui, state::id::kLineView);
    ui.AppendLine(kLog, "Track fehlt in:");
    ui.AppendLine(kLog, entry_name);
    return;
  }
  s.FilePath = s.EntryDir + s.TrackFileName;
  switch (ReadDataFile(s, s.FilePath)) {
    case DataFileRead::Read:
      s.TrackFileLoaded = true;
      entry.evidence.track_file = files::Sha256(s.LoadedFile().Bytes());
      break;
    case DataFileRead::NotReadable:
      ui.AppendLine(kLog, "Track nicht lesbar: " + s.TrackFileName);
      entry.track_verdict = record::TrackVerdict::NotReadable;
      break;
    case DataFileRead::TooLarge:
      ui.AppendLine(kLog, "Track zu gross: " + s.TrackFileName);
      entry.track_verdict = record::TrackVerdict::TooLarge;
      break;
  }
}

// Whether the screen decodes, without its pixels: at libjpeg's smallest
// scale the whole entropy-coded data is still read and checked by the same
// decoder, so the verdict is that of the full decode at a fraction of its
// cost (no inverse DCT, colour conversion or scaling to speak of).
bool ScreenDecodes(const std::string& path) { return raster::LoadPictureFile(path, 1, 1).has_value(); }

void ShowScreenFile(state::AppState& s, ui::Ui& ui, record::EntryRecord& entry) {
  if (s.ScreenFileName == state::kMissingFile) {
    ShowPlaceholder(s, ui, state::id::kScreenView);
    ui.AppendLine(kLog, "Screen fehlt");
    return;
  }
  if (!s.Needs.screen_pictures) {
    if (s.Needs.screen_verdicts && !ScreenDecodes(s.EntryDir + s.ScreenFileName)) {
      entry.evidence.screen_unreadable = true;
    }
    return;
  }
  constexpr int image = state::id::kScaledScreenImage;
  // The fit size lets a large JPEG decode at a reduced scale.
  if (!s.Images.LoadImage(image, s.EntryDir + s.ScreenFileName, kScreenWidth, kScreenHeight)) {
    // Showing the placeholder tells the organiser that this picture is broken.
    ShowPlaceholder(s, ui, state::id::kScreenView);
    entry.evidence.screen_unreadable = true;
    return;
  }
  s.Images.ResizeImage(image, kScreenWidth, kScreenHeight);
  ui.ShowImage(state::id::kScreenView, s.Images.Get(image));
}

}  // namespace

void FindEntryFiles(state::AppState& s, ui::Ui& ui) {
  ui.ClearText(kLog);
  ui.WaitEvent(100);
  ui.AppendLine(kLog, " ");
  s.TrackFileName = s.GameFileName = s.ScreenFileName = state::kMissingFile;
  s.TrackFileLoaded = false;
  if (!s.FolderList.Next() || s.StepCounter == 0) return;
  const std::string entry_name = s.FolderList.Current();
  state::ShowProgress(s, ui, s.StepCounter, s.FolderList.Count(), entry_name);
  s.EntryDir = s.BaseDir + entry_name + "/";
  FindFilesByKind(s);
  record::EntryRecord& entry = RecordEntryFiles(s, entry_name);
  s.DataSize = 0;
  LoadTrackFile(s, ui, entry_name, entry);
  ShowScreenFile(s, ui, entry);
}

}  // namespace hl::gamedata
