#include "workflow/startup.h"

#include <algorithm>
#include <array>
#include <utility>

#include "toolkit/files/paths.h"
#include "toolkit/raster/image_files.h"

namespace hl::workflow {

namespace {

using raster::Rgb;

// Entries 0-15 are the ground colours of the track map (indexed by a map
// byte's low four bits); the rest are picked by index where they are drawn.
constexpr std::array<raster::Color, 19> kAssignedColours = {
    Rgb(160, 160, 160), Rgb(180, 180, 180), Rgb(144, 220, 96),  Rgb(190, 200, 128),
    Rgb(150, 140, 100), Rgb(190, 180, 160), Rgb(240, 220, 210), Rgb(246, 251, 254),
    Rgb(220, 231, 240), Rgb(255, 255, 255), Rgb(255, 255, 0),   Rgb(255, 0, 0),
    Rgb(63, 63, 63),    Rgb(0, 0, 0),       Rgb(0, 0, 0),       Rgb(0, 0, 0),
    Rgb(200, 230, 239), Rgb(160, 180, 200), Rgb(212, 208, 200),
};

void BuildPalette(state::AppState& s) {
  s.Palette.fill(Rgb(0, 0, 0));
  std::copy(kAssignedColours.begin(), kAssignedColours.end(), s.Palette.begin());
}

Result<void> LoadFonts(state::AppState& s) {
  Result<raster::Font> log_font = raster::LoadLogFont();
  if (!log_font) return Fail(std::move(log_font.error()));
  s.LogFont = std::move(*log_font);
  Result<raster::Font> label_font = raster::LoadLabelFont();
  if (!label_font) return Fail(std::move(label_font.error()));
  s.LabelFont = std::move(*label_font);
  return {};
}

}  // namespace

Result<void> InitState(state::AppState& s) {
  BuildPalette(s);
  s.FolderList.Clear();
  s.RankingList.Clear();
  s.SlotCarNames.fill(std::string());
  s.CurrentDir = files::QueryCurrentDir();

  s.Data = files::DataBuffer::Allocate();
  if (!s.Data) {
    return Fail({"Not enough memory: the tool needs a data buffer of 2,000,000 bytes."});
  }
  s.DataSize = files::DataBuffer::kSize;
  s.CarSize = 0;

  if (Result<void> fonts = LoadFonts(s); !fonts) return fonts;
  s.Images.TakeImageFromMemory(state::id::kPlaceholderImage, raster::PlaceholderBmp());
  return {};
}

// The state is not needed yet: every gadget starts empty or with a fixed text.
void OpenMainWindow(state::AppState& /*s*/, ui::Ui& ui) {
  ui.OpenFrame(state::id::kMainWindow, 5, 5, 1010, 720, "Velkaro Hotlap Auswertung",
               ui::FrameStyle::Titled, -1);
  ui.AddLogEditor(state::id::kLogBox, 5, 370, 480, 195);
  ui.AddImageView(state::id::kLineView, 490, 5, 512, 560, false);
  ui.AddImageView(state::id::kScreenView, 5, 5, 480, 360, false);
  ui.AddTextField(state::id::kPenaltyField, 620, 660, 80, 24, "6000");
  ui.AddPushButton(state::id::kStepButton, 510, 660, 50, 24, "Load");
  ui.AddPushButton(state::id::kActionButton, 720, 660, 50, 24, "Strafe");
  ui.AddImageView(state::id::kProgressView, 490, 598, 512, 30, false);
  ui.AddImageView(state::id::kStatsView, 5, 570, 480, 136, true);
}

void ShutDown(state::AppState& s, ui::Ui& ui) {
  ui.CloseFrame(state::id::kScreenWindow);
  ui.CloseFrame(state::id::kMainWindow);
  s.Images.ReleaseAll();
  s.LogFont.reset();
  s.LabelFont.reset();
  s.Files.CloseAll();
  for (int slot = 0; slot < files::DirSlots::kSlotCount; ++slot) s.Listings.DirClose(slot);
  s.Data.reset();
}

}  // namespace hl::workflow
