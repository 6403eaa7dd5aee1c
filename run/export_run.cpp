#include "run/export_run.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "publish/export_names.h"
#include "publish/ghost_overlay.h"
#include "publish/results_csv.h"
#include "publish/results_json.h"
#include "ranking/record_ranking.h"
#include "run/track_square.h"
#include "toolkit/files/file_slots.h"
#include "toolkit/files/link_target.h"
#include "toolkit/raster/image_files.h"

namespace hl::run {
namespace {

namespace fs = std::filesystem;

constexpr const char* kScreenPicture = "screen.png";

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
nlohmann::ordered_json ExportedJson(const record::CompetitionRecord& competition,
                                    const std::vector<publish::EntryPictures>& pictures) {
  nlohmann::ordered_json json = publish::ResultsJson(competition);
  for (size_t i = 0; i < json["entries"].size(); ++i) {
    const publish::EntryPictures shown =
        i < pictures.size() ? pictures[i] : publish::EntryPictures{};
    const auto path = [](const std::optional<std::string>& p) {
      return p ? nlohmann::ordered_json(*p) : nlohmann::ordered_json();
    };
    json["entries"][i]["pictures"] = {{"track", path(shown.track)}, {"screen", path(shown.screen)}};
  }
  return json;
}

}  // namespace

ExportRun::ExportRun(std::string folder, Diagnostics& diagnostics)
    : folder_(std::move(folder)), diagnostics_(diagnostics) {
  std::error_code ec;
  fs::create_directories(folder_, ec);
  if (!fs::is_directory(folder_, ec)) {
    diagnostics_.Problem("cannot create the export folder " + folder_);
    failed_ = true;
    folder_ready_ = false;
  }
}

bool ExportRun::WriteFile(const std::string& relative, std::span<const uint8_t> bytes) {
  const std::string path = folder_ + relative;
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  if (!files::ReplaceFileAtomically(path, bytes)) {
    diagnostics_.Problem("could not write " + path);
    failed_ = true;
    return false;
  }
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
  const auto save = [&](int image_number, const char* name,
                        raster::PngCompression compression) -> std::optional<std::string> {
    const raster::Image* image = s.Images.Get(image_number);
    if (image == nullptr) {
      failed_ = true;
      return std::nullopt;
    }
    const std::string relative = folder + "/" + name;
    pictures_writer_.Write(*image, compression, folder_ + relative);
    return relative;
  };
  // The images keep the last entry's pictures where this one has none.
  if (!s.TrackFileInvalid) {
    shown.track = save(state::id::kLineImage, "track.png", raster::PngCompression::kQuick);
  }
  if (entry.screen_file && !entry.evidence.screen_unreadable) {
    // A run that leaves the screens out of its steps has them written by
    // the screen checks; one that turns out unreadable is dropped at the end.
    shown.screen = s.Needs.screen_pictures ? save(state::id::kScaledScreenImage, kScreenPicture,
                                                  raster::PngCompression::kStored)
                                           : folder + "/" + kScreenPicture;
  }
  pictures_.resize(index + 1);
  pictures_[index] = shown;
}

std::string ExportRun::EntryFolder(const state::AppState& s, size_t index) {
  const std::string folder = publish::EntryPictureFolder(
      index, static_cast<size_t>(s.FolderList.Count()), s.Record.entries[index].folder);
  // A link left in the export folder must not carry the pictures outside it;
  // a folder that cannot be made shows when its pictures fail to be written.
  if (const auto made = files::MakeFoldersWithoutLinks(folder_, folder); !made)
    diagnostics_.Problem(made.error().Describe());
  return folder;
}

std::optional<std::string> ExportRun::ScreenPicturePath(const state::AppState& s, size_t index) {
  if (!folder_ready_ || index >= s.Record.entries.size()) return std::nullopt;
  return folder_ + EntryFolder(s, index) + "/" + kScreenPicture;
}

// Every entry picture handed to the writer is on disk, or named as missing
// and dropped from the page, as is a screen that did not decode.
void ExportRun::FinishEntryPictures(const record::CompetitionRecord& competition) {
  const std::vector<std::string> failed = pictures_writer_.Finish();
  for (const std::string& path : failed) {
    diagnostics_.Problem("could not write " + path);
    failed_ = true;
  }
  for (size_t i = 0; i < pictures_.size() && i < competition.entries.size(); ++i) {
    if (competition.entries[i].evidence.screen_unreadable) pictures_[i].screen.reset();
  }
  for (publish::EntryPictures& shown : pictures_) {
    for (std::optional<std::string>* picture : {&shown.track, &shown.screen}) {
      if (!*picture) continue;
      if (std::find(failed.begin(), failed.end(), folder_ + **picture) != failed.end()) {
        picture->reset();
      } else {
        ++written_;
      }
    }
  }
}

bool ExportRun::CopyChart(const state::AppState& s) {
  if (!s.ChartSaved) return false;
  const std::vector<uint8_t> chart = FileBytes(s.BaseDir + s.TrackBaseName + ".png");
  return !chart.empty() && WriteFile("chart.png", chart);
}

bool ExportRun::WriteGhosts(const state::AppState& s) {
  const auto places = ranking::RankRecord(s.Record);
  if (places.empty() || !s.LabelFont) return false;
  const record::EntryRecord& winner = s.Record.entries[places.front().entry];
  const auto track =
      DrawTrackSquare(s.BaseDir + winner.folder + "/" + winner.track_file.value_or(""));
  if (!track) return false;
  std::vector<publish::OverlayLap> laps;
  for (const ranking::RankedEntry& ranked : places) {
    const record::EntryRecord& entry = s.Record.entries[ranked.entry];
    laps.push_back({.place = ranked.place,
                    .driver = entry.track->driver,
                    .ghost = entry.evidence.ghost_points,
                    .other_track = entry.evidence.track_picture != winner.evidence.track_picture});
  }
  const auto overlay = publish::GhostOverlay(*track, laps, *s.LabelFont);
  const auto png =
      overlay ? raster::EncodePng(*overlay, raster::PngCompression::kQuick) : std::nullopt;
  return png && WriteFile("ghosts.png", *png);
}

bool ExportRun::Finish(const state::AppState& s) {
  FinishEntryPictures(s.Record);
  if (!fs::is_directory(folder_)) {
    failed_ = true;
    return false;
  }
  publish::PageContent content;
  content.run_date = Today();
  content.pictures = pictures_;
  content.pictures.resize(s.Record.entries.size());
  if (CopyChart(s)) content.chart = "chart.png";
  if (WriteGhosts(s)) content.ghosts = "ghosts.png";
  WriteText("results.json", publish::JsonText(ExportedJson(s.Record, content.pictures)));
  WriteText("results.csv", publish::ResultsCsv(s.Record));
  if (WriteText("index.html", publish::ResultsPage(s.Record, content))) {
    diagnostics_.Note("Results page written to " + folder_ + "index.html (" +
                      std::to_string(written_) + " files)");
  }
  return !failed_;
}

}  // namespace hl::run
