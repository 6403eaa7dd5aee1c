#include "gamedata/entry_files.h"

#include "app/progress/progress_bar.h"
#include "gamedata/data_file_reader.h"
#include "toolkit/text/text.h"

namespace hl::gamedata {

namespace {

constexpr int kLog = app::id::kLogBox;
constexpr int kScreenWidth = 480;
constexpr int kScreenHeight = 360;

// Files are recognised by their last three characters, not by an extension,
// so "mytrk" counts as a track file. The file listed last of a kind wins.
void FindFilesByKind(app::AppState& s) {
  constexpr int slot = app::id::kListingSlot;
  if (!s.Listings.DirOpen(slot, s.EntryDir, "*.*")) return;
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

void ShowPlaceholder(app::AppState& s, ui::Ui& ui, int gadget) {
  ui.ShowImage(gadget, s.Images.Get(app::id::kPlaceholderImage));
}

void LoadTrackFile(app::AppState& s, ui::Ui& ui, const std::string& entry_name) {
  if (s.TrackFileName == app::kMissingFile) {
    ShowPlaceholder(s, ui, app::id::kLineView);
    ui.AppendLine(kLog, "Track fehlt in:");
    ui.AppendLine(kLog, entry_name);
    return;
  }
  s.FilePath = s.EntryDir + s.TrackFileName;
  switch (ReadDataFile(s, s.FilePath)) {
    case DataFileRead::Read:
      s.TrackFileLoaded = true;
      break;
    case DataFileRead::NotReadable:
      ui.AppendLine(kLog, "Track nicht lesbar: " + s.TrackFileName);
      break;
    case DataFileRead::TooLarge:
      ui.AppendLine(kLog, "Track zu gross: " + s.TrackFileName);
      break;
  }
}

void ShowScreenFile(app::AppState& s, ui::Ui& ui) {
  if (s.ScreenFileName == app::kMissingFile) {
    ShowPlaceholder(s, ui, app::id::kScreenView);
    ui.AppendLine(kLog, "Screen fehlt");
    return;
  }
  constexpr int image = app::id::kScaledScreenImage;
  // The fit size lets a large JPEG decode at a reduced scale.
  if (!s.Images.LoadImage(image, s.EntryDir + s.ScreenFileName, kScreenWidth, kScreenHeight)) {
    // Showing the placeholder tells the organiser that this picture is broken.
    ShowPlaceholder(s, ui, app::id::kScreenView);
    return;
  }
  s.Images.ResizeImage(image, kScreenWidth, kScreenHeight);
  ui.ShowImage(app::id::kScreenView, s.Images.Get(image));
}

}  // namespace

void FindEntryFiles(app::AppState& s, ui::Ui& ui) {
  ui.ClearText(kLog);
  ui.WaitEvent(100);
  ui.AppendLine(kLog, " ");
  s.TrackFileName = s.GameFileName = s.ScreenFileName = app::kMissingFile;
  s.TrackFileLoaded = false;
  if (!s.FolderList.Next() || s.StepCounter == 0) return;
  const std::string entry_name = s.FolderList.Current();
  app::ShowProgress(s, ui, s.StepCounter, s.FolderList.Count(), entry_name);
  s.EntryDir = s.BaseDir + entry_name + "/";
  FindFilesByKind(s);
  s.DataSize = 0;
  LoadTrackFile(s, ui, entry_name);
  ShowScreenFile(s, ui);
}

}  // namespace hl::gamedata
