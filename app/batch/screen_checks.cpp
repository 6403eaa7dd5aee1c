#include "app/batch/screen_checks.h"

#include "gamedata/screen_picture.h"

namespace hl::batch {

ScreenChecks::~ScreenChecks() { tasks_.wait(); }

void ScreenChecks::Check(size_t entry, std::string path) {
  Job& job = jobs_.emplace_back(Job{.entry = entry, .path = std::move(path)});
  tasks_.run([&job] {
    job.decodes = gamedata::LoadScreen(job.path, {.screen_pictures = false}).decodes;
  });
}

void ScreenChecks::NoteVerdictsIn(record::CompetitionRecord& record) {
  tasks_.wait();
  for (const Job& job : jobs_) {
    if (!job.decodes && job.entry < record.entries.size()) {
      record.entries[job.entry].evidence.screen_unreadable = true;
    }
  }
}

}  // namespace hl::batch
