#pragma once
// The program-wide state: one instance lives from start-up to shut-down and
// every routine of the tool is a function over it (and the window facade).
// Names follow the tool's own vocabulary so each routine reads like its
// description.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "record/competition_record.h"
#include "state/loaded_screen.h"
#include "state/output_needs.h"
#include "state/text_list.h"
#include "toolkit/files/data_buffer.h"
#include "toolkit/files/dir_slots.h"
#include "toolkit/files/file_slots.h"
#include "toolkit/raster/color.h"
#include "toolkit/raster/font.h"
#include "toolkit/raster/image_table.h"

namespace hl::state {

// Window, gadget, image, file and listing numbers.
namespace id {
constexpr int kMainWindow = 0;
constexpr int kScreenWindow = 1;

constexpr int kScreenView = 0;
constexpr int kLineView = 1;
constexpr int kLogBox = 2;
constexpr int kPenaltyField = 5;
constexpr int kStepButton = 11;
constexpr int kActionButton = 14;
constexpr int kProgressView = 20;
constexpr int kStatsView = 21;
constexpr int kScreenPicture = 100;

constexpr int kScaledScreenImage = 0;
constexpr int kLineImage = 1;  // the track picture, later the chart
constexpr int kPlaceholderImage = 3;
constexpr int kScreenImage = 4;
constexpr int kProgressImage = 20;
constexpr int kStatsImage = 21;

constexpr int kDataFileSlot = 0;
constexpr int kTemplateFileSlot = 1;
constexpr int kListingSlot = 7;
}  // namespace id

inline constexpr const char* kNewLine = "\r\n";
inline constexpr const char* kMissingFile = "nix";  // marks a file an entry lacks

// StepCounter once the results are ranked. Entry numbers never reach it, so
// a base folder may hold any number of entries.
inline constexpr int32_t kFinished = INT32_MAX;

struct AppState {
  std::array<raster::Color, 22> Palette{};
  std::unique_ptr<files::DataBuffer> Data;  // DataBuffer; CarArea is its last 100,000 bytes
  int32_t DataSize = files::DataBuffer::kSize;
  int32_t CarSize = 0;
  std::string CurrentDir;  // ends with "/"

  int32_t StepCounter = 0;  // 0 before "Load", k while entry k is shown, kFinished after
  bool QuitRequested = false;
  bool TrackFileInvalid = false;
  bool CarFound = false;
  bool TrackFileLoaded = false;  // this entry's track file was read to offset 0
  bool ReportSaved = false;      // the text report was written
  bool ChartSaved = false;       // the chart picture was written

  TextList FolderList;
  TextList RankingList;

  std::string BaseDir, CarFileName, EntryDir, TrackFileName, GameFileName, ScreenFileName, FilePath;
  std::string ReportText;
  std::string GoogleText;
  std::string TrackBaseName;
  std::string ReportDir;  // the report's and chart's folder, ends with "/"; "" for BaseDir
  std::string StatsText;

  // Decoded from the entry's track file by the header step.
  uint8_t TrackScale = 0;
  uint8_t GridThreshold = 0;
  int64_t RecordBlock = 0;
  int64_t GridBlock = 0;
  int64_t ObjectBlock = 0;
  int64_t GhostBlock = 0;
  int16_t ObjectCount = 0;
  int16_t Slot0Time = 0;
  int16_t Slot1Time = 0;
  std::string Slot0Driver;
  std::string Slot1Driver;
  std::array<std::string, 12> SlotCarNames{};
  int16_t GhostCount = 0;
  float GhostScale = 0.0f;

  // Every entry's facts as data, for the outputs that do not read the log.
  record::CompetitionRecord Record;
  record::EvidencePools SharedEvidence;

  OutputNeeds Needs;              // what the run's outputs read; everything unless narrowed
  ScreenCheck ScreenChecksLater;  // empty: each step checks its screen itself
  // The PNG an earlier run made of the very chart drawn now, where the run
  // keeps one; empty, or nullopt from it: the chart is encoded.
  std::function<std::optional<std::vector<uint8_t>>(const raster::Image& chart)> EarlierChartPng;
  // A run that writes a chart too tall to be shown whole once its other
  // outputs are out sets this: the ranking then draws the chart's top but
  // leaves its file to the run (ChartSaved stays false, ChartLeftOver is set).
  bool ChartInBandsLater = false;
  bool ChartLeftOver = false;
  // A season's round: a folder where no entry's track was accepted is no
  // competition, and gets no report or chart (the window and --batch write
  // them named after no track, ".txt" and ".png").
  bool ResultsNeedATrack = false;

  // The scale of the chart, reused by the Google export.
  int32_t ChartMin = 0;
  int32_t ChartMax = 0;

  files::FileSlots Files;
  files::DirSlots Listings;
  raster::ImageTable Images;
  std::optional<raster::Font> LogFont;
  std::optional<raster::Font> LabelFont;

  // The bytes of this entry's file at offset 0 of DataBuffer (DataSize of them).
  files::ByteView LoadedFile() const;
  // The reference car file in CarArea (CarSize bytes).
  files::ByteView LoadedCar() const;
};

}  // namespace hl::state
