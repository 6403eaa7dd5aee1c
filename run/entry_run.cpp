#include "run/entry_run.h"

#include <filesystem>
#include <utility>

#include "audit/audit.h"
#include "gamedata/base_folder.h"
#include "toolkit/ui/editor_lines.h"
#include "toolkit/ui/headless_ui.h"
#include "workflow/penalty.h"
#include "workflow/startup.h"
#include "workflow/steps.h"

namespace hl::run {
namespace {

namespace fs = std::filesystem;

// The state "Load" leaves behind in a base folder that holds the reference
// car and this one entry.
void LoadAlone(state::AppState& s, const fs::path& car, const fs::path& entry) {
  s.BaseDir = entry.parent_path().string() + "/";
  s.Record = record::CompetitionRecord();
  s.Record.folder = s.BaseDir;
  gamedata::ReadReferenceCar(s, car.string());
  if (s.CarFound) {
    s.CarFileName = car.filename().string();
    s.Record.car_files.push_back(s.CarFileName);
    s.Record.car_file = s.CarFileName;
  }
  s.FolderList.Append(entry.filename().string());
  s.FolderList.ResetPosition();
  s.StepCounter = 1;
}

std::optional<raster::Image> Picture(const state::AppState& s, int image, bool wanted) {
  const raster::Image* picture = wanted ? s.Images.Get(image) : nullptr;
  if (picture == nullptr) return std::nullopt;
  return *picture;
}

}  // namespace

Result<EvaluatedEntry> EvaluateEntry(const std::string& reference_car,
                                     const std::string& entry_folder, const EntryOptions& options) {
  state::AppState s;
  ui::HeadlessUi ui;
  if (auto started = workflow::InitState(s); !started) return Fail(std::move(started.error()));
  workflow::OpenMainWindow(s, ui);
  s.Needs = {.screen_pictures = options.pictures,
             .screen_verdicts = true,
             .track_pictures = options.pictures};
  fs::path entry = fs::path(entry_folder).lexically_normal();
  if (!entry.has_filename()) entry = entry.parent_path();
  LoadAlone(s, fs::path(reference_car), entry);
  workflow::RunEntryPipeline(s, ui);
  if (options.penalty && !s.TrackFileInvalid) workflow::ApplyPenalty(s, ui, *options.penalty);
  audit::AuditCompetition(s.Record, s.LoadedCar().Bytes(), {.period = options.period});

  EvaluatedEntry evaluated;
  evaluated.log_lines = ui::EditorTextLines(ui.ReadText(state::id::kLogBox));
  if (!s.Record.entries.empty()) evaluated.record = std::move(s.Record.entries.front());
  evaluated.track_picture =
      Picture(s, state::id::kLineImage, options.pictures && !s.TrackFileInvalid);
  evaluated.screen_picture = Picture(s, state::id::kScaledScreenImage,
                                     options.pictures && evaluated.record.screen_file &&
                                         !evaluated.record.evidence.screen_unreadable);
  workflow::ShutDown(s, ui);
  return evaluated;
}

}  // namespace hl::run
