#include "run/export_run.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "gamedata/screen_picture.h"
#include "publish/export_names.h"
#include "publish/export_plan.h"
#include "publish/ghost_overlay.h"
#include "publish/page_pictures.h"
#include "publish/results_csv.h"
#include "publish/results_json.h"
#include "ranking/record_ranking.h"
#include "results/result_path.h"
#include "run/track_square.h"
#include "toolkit/files/file_slots.h"
#include "toolkit/files/link_target.h"
#include "toolkit/raster/band_rows.h"
#include "toolkit/raster/image_files.h"

namespace hl::run {
namespace {

namespace fs = std::filesystem;

constexpr const char* kChartName = "chart.png";
// Rows of the ghost overlay drawn at a time: its legend of thousands of
// laps is tens of thousands of rows tall.
constexpr int kBandRows = 1024;

std::string Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &local);
  return text;
}

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::span<const uint8_t> TextBytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// The results JSON, each entry with the pictures the page shows.
std::string ExportedJson(const record::CompetitionRecord& competition,
                         const publish::Publication& publication,
                         const std::vector<publish::EntryPictures>& pictures) {
  const auto path = [](const std::optional<publish::PagePicture>& p) {
    return p ? nlohmann::ordered_json(p->path) : nlohmann::ordered_json();
  };
  return publish::ResultsJsonText(
      competition, publication, [&](size_t i, nlohmann::ordered_json& entry) {
        const publish::EntryPictures shown =
            i < pictures.size() ? pictures[i] : publish::EntryPictures{};
        entry["pictures"] = {{"track", path(shown.track)}, {"screen", path(shown.screen)}};
      });
}

// What a chart is made from: its size and its pixels.
files::Sha256Digest PixelFingerprint(const raster::Image& picture) {
  const files::Sha256Digest pixels = files::Sha256(picture.Pixels());
  const std::string size = std::to_string(picture.Width()) + "x" + std::to_string(picture.Height());
  std::vector<uint8_t> summary(pixels.begin(), pixels.end());
  summary.insert(summary.end(), size.begin(), size.end());
  return files::Sha256(summary);
}

}  // namespace

ExportRun::ExportRun(std::string folder, Diagnostics& diagnostics, publish::Publication publication,
                     files::Durability durability)
    : folder_(std::move(folder)),
      diagnostics_(diagnostics),
      publication_(publication),
      durability_(durability),
      pictures_writer_(durability) {
  std::error_code ec;
  fs::create_directories(folder_, ec);
  if (!fs::is_directory(folder_, ec)) {
    diagnostics_.Problem("cannot create the export folder " + folder_);
    failed_ = true;
    folder_ready_ = false;
    return;
  }
  plan_.emplace(folder_, HOTLAP_VERSION);
}

bool ExportRun::WriteFile(const std::string& relative, std::span<const uint8_t> bytes) {
  const std::string path = folder_ + relative;
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  if (!files::ReplaceFileAtomically(path, bytes, durability_)) {
    diagnostics_.Problem("could not write " + path);
    failed_ = true;
    return false;
  }
  if (plan_) plan_->Note(path, std::nullopt);
  ++written_;
  return true;
}

bool ExportRun::WriteText(const std::string& relative, const std::string& text) {
  return WriteFile(relative, TextBytes(text));
}

void ExportRun::SaveEntryPictures(const state::AppState& s) {
  // The folder's failure was named once; each picture would only repeat it.
  if (!folder_ready_ || s.Record.entries.empty()) return;
  const size_t index = s.Record.entries.size() - 1;
  const record::EntryRecord& entry = s.Record.entries.back();
  const std::string folder = EntryFolder(s, index);
  publish::EntryPictures shown;
  // The images keep the last entry's pictures where this one has none.
  if (!s.TrackFileInvalid) {
    if (const raster::Image* track = s.Images.Get(state::id::kLineImage)) {
      shown.track = {folder + "/track.png", track->Width(), track->Height()};
      const std::string path = folder_ + shown.track->path;
      // A damaged file may leave part of the last entry's picture: only an
      // accepted one is its file's picture alone.
      const auto source = entry.track_verdict == record::TrackVerdict::Accepted
                              ? entry.evidence.track_file
                              : std::nullopt;
      // Made first, so a link left in its place is replaced, not followed.
      MakeFolder(folder);
      if (!source || !plan_->Reuse(path, *source)) {
        pictures_writer_.Write(*track, raster::PngCompression::kQuick, path);
        plan_->Note(path, source);
      }
    } else {
      failed_ = true;
    }
  }
  if (entry.screen_file && !entry.evidence.screen_unreadable) {
    // A run that leaves the screens out of its steps has them written by
    // the screen checks; one that turns out unreadable is dropped at the end.
    shown.screen = {folder + "/" + publish::kScreenPictureName, gamedata::kScreenWidth,
                    gamedata::kScreenHeight};
    if (s.Needs.screen_pictures) {
      const raster::Image* screen = s.Images.Get(state::id::kScaledScreenImage);
      const std::string path = folder_ + shown.screen->path;
      MakeFolder(folder);
      pictures_writer_.WriteEncoded(screen ? publish::EncodeScreenPicture(*screen) : std::nullopt,
                                    path);
      plan_->Note(path, plan_->SourceOf(path, s.Record.folder + entry.folder + "/" +
                                                  entry.screen_file.value_or("")));
    }
  }
  pictures_.resize(index + 1);
  pictures_[index] = shown;
}

std::string ExportRun::EntryFolder(const state::AppState& s, size_t index) const {
  return publish::EntryPictureFolder(index, static_cast<size_t>(s.FolderList.Count()),
                                     s.Record.entries[index].folder);
}

void ExportRun::MakeFolder(const std::string& relative) const {
  // A link left in the export folder must not carry the pictures outside it;
  // a folder that cannot be made shows when its pictures fail to be written.
  if (const auto made = files::MakeFoldersWithoutLinks(folder_, relative); !made)
    diagnostics_.Problem(made.error().Describe());
}

std::optional<std::string> ExportRun::ScreenPicturePath(const state::AppState& s, size_t index) {
  if (!folder_ready_ || index >= s.Record.entries.size()) return std::nullopt;
  const std::string folder = EntryFolder(s, index);
  MakeFolder(folder);
  return folder_ + folder + "/" + publish::kScreenPictureName;
}

// Every entry picture handed to the writer is on disk, or named as missing
// and dropped from the page, as is a screen that did not decode.
void ExportRun::FinishEntryPictures(const record::CompetitionRecord& competition) {
  const std::vector<std::string> failed = pictures_writer_.Finish();
  for (const std::string& path : failed) {
    diagnostics_.Problem("could not write " + path);
    failed_ = true;
    if (plan_) plan_->Forget(path);
  }
  for (size_t i = 0; i < pictures_.size() && i < competition.entries.size(); ++i) {
    if (competition.entries[i].evidence.screen_unreadable) pictures_[i].screen.reset();
  }
  for (publish::EntryPictures& shown : pictures_) {
    for (std::optional<publish::PagePicture>* picture : {&shown.track, &shown.screen}) {
      if (!*picture) continue;
      if (std::find(failed.begin(), failed.end(), folder_ + (*picture)->path) != failed.end()) {
        picture->reset();
      } else {
        ++written_;
      }
    }
  }
}

std::optional<std::vector<uint8_t>> ExportRun::EarlierChart(const raster::Image& chart) {
  chart_source_ = PixelFingerprint(chart);
  const auto kept = plan_ ? plan_->EarlierFile(folder_ + kChartName, *chart_source_) : std::nullopt;
  if (!kept) return std::nullopt;
  std::vector<uint8_t> png = FileBytes(*kept);
  // Only a file that shows these very pixels stands in for the chart:
  // whatever became of the export folder, the chart shows this run.
  const auto shown = raster::DecodePng(png);
  if (!shown || shown->Width() != chart.Width() || shown->Pixels() != chart.Pixels())
    return std::nullopt;
  return png;
}

std::optional<publish::PagePicture> ExportRun::CopyChart(const state::AppState& s) {
  if (!s.ChartSaved) return std::nullopt;
  const std::vector<uint8_t> chart = FileBytes(results::ResultFolder(s) + s.TrackBaseName + ".png");
  const auto size = publish::PngSize(chart);
  if (!size || !WriteFile(kChartName, chart)) return std::nullopt;
  plan_->Note(folder_ + kChartName, chart_source_);
  return publish::PagePicture{kChartName, size->width, size->height};
}

std::optional<publish::PagePicture> ExportRun::WriteGhosts(const state::AppState& s) {
  const auto places = ranking::RankRecord(s.Record);
  if (places.empty() || !s.LabelFont) return std::nullopt;
  const record::EntryRecord& winner = s.Record.entries[places.front().entry];
  const auto track =
      DrawTrackSquare(s.BaseDir + winner.folder + "/" + winner.track_file.value_or(""));
  if (!track) return std::nullopt;
  std::vector<publish::OverlayLap> laps;
  for (const ranking::RankedEntry& ranked : places) {
    const record::EntryRecord& entry = s.Record.entries[ranked.entry];
    laps.push_back({.place = ranked.place,
                    .driver = entry.track->driver,
                    .ghost = entry.evidence.ghost_points,
                    .other_track = entry.evidence.track_picture != winner.evidence.track_picture});
  }
  const auto overlay = publish::GhostOverlay::Draw(*track, laps, *s.LabelFont);
  auto band = overlay
                  ? raster::Image::Create(overlay->Width(), std::min(kBandRows, overlay->Height()))
                  : std::nullopt;
  if (!band) return std::nullopt;
  raster::BandRows rows(std::move(*band), [&overlay](raster::Image& drawn, int first_row) {
    overlay->DrawRows(drawn, first_row);
  });
  const auto png = raster::EncodePngRows(
      overlay->Width(), overlay->Height(), [&rows](int y) { return rows.Row(y); },
      raster::PngCompression::kQuick);
  if (!png || !WriteFile("ghosts.png", *png)) return std::nullopt;
  return publish::PagePicture{"ghosts.png", overlay->Width(), overlay->Height()};
}

bool ExportRun::Finish(const state::AppState& s) {
  FinishEntryPictures(s.Record);
  if (!plan_ || !fs::is_directory(folder_)) {
    failed_ = true;
    return false;
  }
  publish::PageContent content;
  content.run_date = Today();
  content.pictures = pictures_;
  content.pictures.resize(s.Record.entries.size());
  content.chart = CopyChart(s);
  content.ghosts = WriteGhosts(s);
  content.publication = publication_;
  WriteText("results.json", ExportedJson(s.Record, publication_, content.pictures));
  WriteText("results.csv", publish::ResultsCsv(s.Record));
  // The page goes last, so whoever opens it finds every file it shows; the
  // files of an earlier export go after it, once no page shows them.
  const std::string page = publish::ResultsPage(s.Record, content);
  plan_->Note(folder_ + "index.html", std::nullopt);
  WriteText(publish::kExportManifest, plan_->ManifestText());
  if (WriteText("index.html", page)) {
    diagnostics_.Note("Results page written to " + folder_ + "index.html (" +
                      std::to_string(written_) + " files)");
    plan_->RemoveStale();
  }
  return !failed_;
}

}  // namespace hl::run
