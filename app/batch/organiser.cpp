#include "app/batch/organiser.h"

#include "toolkit/raster/image_files.h"

namespace hl::batch {

namespace id = state::id;

Organiser::Organiser(state::AppState& s, const BatchOptions& options, std::ostream& err)
    : s_(s), options_(options), err_(err) {}

void Organiser::OnIdle(ui::HeadlessUi& ui) {
  if (s_.StepCounter == state::kFinished) {
    if (!finished_) {
      finished_ = true;
      ReportPictures();
      if (options_.google) ui.Press(id::kActionButton);
    }
    ui.Press(id::kStepButton);  // "End"
    return;
  }
  if (s_.StepCounter > 0 && s_.StepCounter != handled_step_) {
    handled_step_ = s_.StepCounter;
    HandleShownEntry(ui);
  }
  ui.Press(id::kStepButton);  // "Load", "Next" or the ranking
}

void Organiser::HandleShownEntry(ui::HeadlessUi& ui) {
  const state::TextList& entries = s_.FolderList;
  // A base folder without entries still gets one step, which shows nothing.
  if (entries.Index() < 0 || entries.Index() >= entries.Count()) return;
  const std::string& entry = entries.Current();
  err_ << s_.StepCounter << " / " << entries.Count() << "   " << entry << '\n';

  if (auto penalty = options_.penalties.find(entry); penalty != options_.penalties.end()) {
    // Without a result line the penalty would rewrite digits of some other
    // log line that happen to match the previous entry's time.
    if (s_.TrackFileInvalid) {
      err_ << "hotlap-eval: " << entry << " has no valid track file; penalty not applied\n";
    } else {
      ui.SetText(id::kPenaltyField, penalty->second);
      ui.Press(id::kActionButton);  // "Strafe"
    }
  }
  if (!options_.pictures_dir.empty() && !s_.TrackFileInvalid) SavePicture(entry);
  if (export_run_ != nullptr) export_run_->SaveEntryPictures(s_);
}

void Organiser::SavePicture(const std::string& entry) {
  const std::string path = options_.pictures_dir + entry + ".png";
  const raster::Image* picture = s_.Images.Get(id::kLineImage);
  if (picture == nullptr) {
    err_ << "hotlap-eval: could not write the picture " << path << '\n';
    pictures_failed_ = true;
    return;
  }
  pictures_writer_.Write(*picture, raster::PngCompression::kQuick, path);
  ++pictures_handed_over_;
}

// The pictures are too many to name one by one; the folder and the count
// say where they went, and every failure is named.
void Organiser::ReportPictures() {
  if (options_.pictures_dir.empty()) return;
  const std::vector<std::string> failed = pictures_writer_.Finish();
  for (const std::string& path : failed) {
    err_ << "hotlap-eval: could not write the picture " << path << '\n';
    pictures_failed_ = true;
  }
  const size_t written = pictures_handed_over_ - failed.size();
  err_ << written << (written == 1 ? " track picture" : " track pictures") << " written to "
       << options_.pictures_dir << '\n';
}

}  // namespace hl::batch
