#include "fuzz/targets/fuzz_app.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "toolkit/raster/image_files.h"
#include "workflow/startup.h"

namespace hl::fuzzing {

namespace fs = std::filesystem;

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "hotlap fuzz: broken guarantee: %s\n", what);
  std::abort();
}

FuzzApp& FuzzApp::Fresh() {
  static FuzzApp app;
  app.Reset();
  return app;
}

FuzzApp::FuzzApp() {
  std::string pattern = (fs::temp_directory_path() / "hotlap-fuzz-XXXXXX").string();
  Require(mkdtemp(pattern.data()) != nullptr, "a private temporary folder can be made");
  folder_ = pattern + "/";
  const auto started = workflow::InitState(s_);
  if (!started) std::fprintf(stderr, "hotlap fuzz: %s\n", started.error().Describe().c_str());
  Require(started.has_value(), "the tool starts");
  s_.CurrentDir = folder_;
}

FuzzApp::~FuzzApp() {
  std::error_code ignored;
  fs::remove_all(folder_, ignored);
}

std::string FuzzApp::WriteFile(const std::string& relative, std::span<const uint8_t> bytes) const {
  const fs::path path = fs::path(folder_) / relative;
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  Require(static_cast<bool>(out), "a fuzz input can be written to a file");
  return path.string();
}

int32_t FuzzApp::LoadIntoFileRegion(std::span<const uint8_t> bytes) {
  const auto region = s_.Data->FileRegion();
  const size_t count = std::min(bytes.size(), region.size());
  std::copy_n(bytes.begin(), count, region.begin());
  file_region_used_ = std::max<int64_t>(file_region_used_, static_cast<int64_t>(count));
  return static_cast<int32_t>(count);
}

int32_t FuzzApp::LoadIntoCarArea(std::span<const uint8_t> bytes) {
  const auto area = s_.Data->CarArea();
  const size_t count = std::min(bytes.size(), area.size());
  std::copy_n(bytes.begin(), count, area.begin());
  car_area_used_ = std::max<int64_t>(car_area_used_, static_cast<int64_t>(count));
  return static_cast<int32_t>(count);
}

void FuzzApp::Reset() {
  // A file the tool read to offset 0 during the last input set DataSize.
  if (s_.DataSize != files::DataBuffer::kSize) {
    file_region_used_ = std::max<int64_t>(file_region_used_, s_.DataSize);
  }
  std::fill_n(s_.Data->FileRegion().begin(),
              std::min<int64_t>(file_region_used_, files::DataBuffer::kFileRegionSize), 0);
  std::fill_n(s_.Data->CarArea().begin(), car_area_used_, 0);
  file_region_used_ = car_area_used_ = 0;

  s_.Files.CloseAll();
  for (int slot = 0; slot < files::DirSlots::kSlotCount; ++slot) s_.Listings.DirClose(slot);
  s_.Images.ReleaseAll();
  s_.Images.TakeImageFromMemory(state::id::kPlaceholderImage, raster::PlaceholderBmp());
  s_.CurrentDir = folder_;
  ResetDecodedValues();

  ui_.emplace();
  workflow::OpenMainWindow(s_, *ui_);
}

// The start values of everything a run of the tool sets.
void FuzzApp::ResetDecodedValues() {
  s_.DataSize = files::DataBuffer::kSize;
  s_.CarSize = 0;
  s_.StepCounter = 0;
  s_.QuitRequested = s_.TrackFileInvalid = s_.CarFound = s_.TrackFileLoaded = false;
  s_.ReportSaved = s_.ChartSaved = false;
  s_.FolderList.Clear();
  s_.RankingList.Clear();
  for (std::string* text :
       {&s_.BaseDir, &s_.CarFileName, &s_.EntryDir, &s_.TrackFileName, &s_.GameFileName,
        &s_.ScreenFileName, &s_.FilePath, &s_.ReportText, &s_.GoogleText, &s_.TrackBaseName,
        &s_.StatsText, &s_.Slot0Driver, &s_.Slot1Driver}) {
    text->clear();
  }
  s_.SlotCarNames.fill(std::string());
  s_.TrackScale = s_.GridThreshold = 0;
  s_.RecordBlock = s_.GridBlock = s_.ObjectBlock = s_.GhostBlock = 0;
  s_.ObjectCount = s_.Slot0Time = s_.Slot1Time = s_.GhostCount = 0;
  s_.GhostScale = 0.0f;
  s_.ChartMin = s_.ChartMax = 0;
  s_.Record = record::CompetitionRecord{};
}

}  // namespace hl::fuzzing
