#include "gamedata/entry_files.h"

#include "gamedata/data_file_reader.h"
#include "gamedata/screen_picture.h"
#include "state/progress_bar.h"
#include "toolkit/files/sha256.h"
#include "toolkit/text/text.h"

namespace hl::gamedata {

namespace {

constexpr int kLog = state::id::kLogBox;

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
  // Room for every entry of the list at once: growing by doubling would hold
  // the old and the new array of a large competition side by side.
  if (s.Record.entries.empty()) s.Record.entries.reserve(static_cast<size_t>(s.FolderList.Count()));
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

void ShowScreenFile(state::AppState& s, ui::Ui& ui, record::EntryRecord& entry) {
  if (s.ScreenFileName == state::kMissingFile) {
    ShowPlaceholder(s, ui, state::id::kScreenView);
    ui.AppendLine(kLog, "Screen fehlt");
    return;
  }
  if (!s.Needs.screen_pictures && !s.Needs.screen_verdicts) return;
  const std::string path = s.EntryDir + s.ScreenFileName;
  if (!s.Needs.screen_pictures && s.ScreenChecksLater) {
    s.ScreenChecksLater(s.Record.entries.size() - 1, path);
    return;
  }
  state::LoadedScreen screen = LoadScreen(path, s.Needs);
  if (!screen.decodes) {
    entry.evidence.screen_unreadable = true;
    if (!s.Needs.screen_pictures) return;
    s.Images.PutImage(state::id::kScaledScreenImage, std::nullopt);
    // Showing the placeholder tells the organiser that this picture is broken.
    ShowPlaceholder(s, ui, state::id::kScreenView);
    return;
  }
  if (!screen.picture) return;  // only the verdict was asked for
  s.Images.PutImage(state::id::kScaledScreenImage, std::move(screen.picture));
  ui.ShowImage(state::id::kScreenView, s.Images.Get(state::id::kScaledScreenImage));
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
