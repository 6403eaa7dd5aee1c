#pragma once
// --export DIR: the results page with everything it shows, written while and
// after the batch run. A folder that cannot be written makes the run fail
// (exit 1) but never stops the report and chart.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "publish/export_plan.h"
#include "publish/publication.h"
#include "publish/results_page.h"
#include "run/diagnostics.h"
#include "run/picture_writer.h"
#include "state/state.h"

namespace hl::run {

class ExportRun {
 public:
  // `folder` is absolute and ends with "/"; it is created here.
  ExportRun(std::string folder, Diagnostics& diagnostics, publish::Publication publication = {});

  // Right after the entry at `index` was shown: its track picture and
  // screen picture as the window shows them.
  void SaveEntryPictures(const state::AppState& s);
  // Where the screen picture of the record's entry `index` goes when the
  // screen checks write it (its folder is created); nullopt when there is
  // no export folder.
  std::optional<std::string> ScreenPicturePath(const state::AppState& s, size_t index);
  PictureWriter& Pictures() { return pictures_writer_; }
  // What an earlier export into the folder left to reuse; nullptr when the
  // folder could not be made.
  publish::ExportPlan* Plan() { return plan_ ? &*plan_ : nullptr; }

  // The chart file of an earlier export when its manifest names it as made
  // from `chart`'s pixels and it decodes to exactly them: the bytes that
  // encoding the chart again would give.
  std::optional<std::vector<uint8_t>> EarlierChart(const raster::Image& chart);

  // After the run (and the audit): the page, the ghost overlay, the chart,
  // the JSON and the CSV. False when anything could not be written.
  [[nodiscard]] bool Finish(const state::AppState& s);

 private:
  bool WriteFile(const std::string& relative, std::span<const uint8_t> bytes);
  bool WriteText(const std::string& relative, const std::string& text);
  std::string EntryFolder(const state::AppState& s, size_t index) const;
  void MakeFolder(const std::string& relative) const;
  void FinishEntryPictures(const record::CompetitionRecord& competition);
  std::optional<publish::PagePicture> CopyChart(const state::AppState& s);
  std::optional<publish::PagePicture> WriteGhosts(const state::AppState& s);

  std::string folder_;
  Diagnostics& diagnostics_;
  publish::Publication publication_;
  bool failed_ = false;
  bool folder_ready_ = true;
  std::optional<publish::ExportPlan> plan_;
  PictureWriter pictures_writer_;
  std::vector<publish::EntryPictures> pictures_;     // by entry, folder order
  std::optional<files::Sha256Digest> chart_source_;  // the drawn chart's pixels
  int written_ = 0;
};

}  // namespace hl::run
