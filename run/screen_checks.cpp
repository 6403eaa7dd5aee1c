#include "run/screen_checks.h"

#include "gamedata/screen_picture.h"
#include "publish/page_pictures.h"

namespace hl::run {

ScreenChecks::ScreenChecks(PictureWriter* pictures, publish::ExportPlan* plan)
    : pictures_(pictures), plan_(plan) {}

ScreenChecks::~ScreenChecks() { tasks_.wait(); }

void ScreenChecks::Run(Job& job) const {
  const bool with_picture = job.picture_path && pictures_ != nullptr;
  // A screen whose picture an earlier export holds decoded then: its bytes
  // are the same.
  const auto source = with_picture && plan_ != nullptr
                          ? plan_->SourceOf(*job.picture_path, job.path)
                          : std::nullopt;
  if (source && plan_->Reuse(*job.picture_path, *source)) return;
  state::LoadedScreen screen = gamedata::LoadScreen(job.path, {.screen_pictures = with_picture});
  job.decodes = screen.decodes;
  if (with_picture && screen.picture) {
    pictures_->WriteEncoded(publish::EncodeScreenPicture(*screen.picture), *job.picture_path);
    if (plan_ != nullptr) plan_->Note(*job.picture_path, source);
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
