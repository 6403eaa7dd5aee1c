#include "run/screen_checks.h"

#include "gamedata/screen_picture.h"
#include "toolkit/raster/image_files.h"

namespace hl::run {

ScreenChecks::ScreenChecks(PictureWriter* pictures) : pictures_(pictures) {}

ScreenChecks::~ScreenChecks() { tasks_.wait(); }

void ScreenChecks::Run(Job& job) const {
  const bool with_picture = job.picture_path && pictures_ != nullptr;
  state::LoadedScreen screen = gamedata::LoadScreen(job.path, {.screen_pictures = with_picture});
  job.decodes = screen.decodes;
  if (with_picture && screen.picture) {
    // Photographs gain little from deflate; a stored picture costs nothing.
    pictures_->WriteEncoded(raster::EncodePng(*screen.picture, raster::PngCompression::kStored),
                            *job.picture_path);
  }
}

void ScreenChecks::Check(size_t entry, std::string path, std::optional<std::string> picture_path) {
  Job& job = jobs_.emplace_back(
      Job{.entry = entry, .path = std::move(path), .picture_path = std::move(picture_path)});
  tasks_.run([this, &job] { Run(job); });
}

void ScreenChecks::NoteVerdictsIn(record::CompetitionRecord& record) {
  tasks_.wait();
  for (const Job& job : jobs_) {
    if (!job.decodes && job.entry < record.entries.size()) {
      record.entries[job.entry].evidence.screen_unreadable = true;
    }
  }
}

}  // namespace hl::run
