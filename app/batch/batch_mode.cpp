#include "app/batch/batch_mode.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <type_traits>
#include <utility>
#include <vector>

#include "app/batch/batch_needs.h"
#include "app/batch/command_line.h"
#include "app/batch/exit_status.h"
#include "app/batch/export_run.h"
#include "app/batch/organiser.h"
#include "app/batch/output_checks.h"
#include "app/batch/results_files.h"
#include "app/batch/saved_evaluation.h"
#include "app/batch/screen_checks.h"
#include "app/batch/season_mode.h"
#include "app/startup.h"
#include "app/workflow.h"
#include "audit/audit.h"
#include "results/result_path.h"
#include "toolkit/ui/headless_ui.h"

namespace hl::batch {
namespace {

constexpr const char* kProgram = "hotlap-eval";

std::string WithUnixLineEnds(const std::string& text) {
  std::string result;
  result.reserve(text.size() + 1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    result += text[i];
  }
  // A terminal prompt should not start behind the last line.
  if (!result.empty() && result.back() != '\n') result += '\n';
  return result;
}

bool CreatePictureFolder(const std::string& folder, std::ostream& err) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (std::filesystem::is_directory(folder, ec)) return true;
  err << kProgram << ": cannot create the picture folder " << folder << '\n';
  return false;
}

// Prints what the organiser would read off the screen; true when all of it
// could be produced.
bool PrintResults(const state::AppState& s, const BatchOptions& options, std::ostream& out,
                  std::ostream& err) {
  if (s.StepCounter != state::kFinished) {
    err << kProgram << ": the evaluation ended before the ranking\n";
    return false;
  }
  bool complete = true;
  if (options.google) {
    if (s.GoogleText.empty()) {
      err << kProgram << ": no Google chart parameters: " << s.CurrentDir
          << "google_charts.txt cannot be read\n";
      complete = false;
    }
    out << WithUnixLineEnds(s.GoogleText);
  } else if (!ResultsReplaceReport(options)) {
    out << WithUnixLineEnds(s.ReportText);
  }
  // A season names the round as failed, and why.
  if (results::ResultsWithheld(s)) return false;
  const std::string stem = s.BaseDir + s.TrackBaseName;
  if (s.ReportSaved) {
    err << "Report written to " << stem << ".txt\n";
  } else {
    err << kProgram << ": could not write the report " << stem << ".txt\n";
    complete = false;
  }
  if (s.ChartSaved) {
    err << "Chart written to " << stem << ".png\n";
  } else {
    err << kProgram << ": could not write the chart " << stem << ".png\n";
    complete = false;
  }
  return complete;
}

// A run that stopped before the evaluation started.
BatchOutcome StoppedEarly() {
  BatchOutcome outcome;
  outcome.status = kBadUsage;
  return outcome;
}

}  // namespace

int RunBatch(const BatchOptions& options, const state::OutputNeeds& needs, std::ostream& out,
             std::ostream& err) {
  return RunCompetition(options, needs, out, err).status;
}

namespace {

// The run at the headless window, pressed as the organiser would press it.
// Where no step needs its screen, the screens are checked (and for a results
// page written) on every core while the run goes on, until the record is
// complete. False when a track picture could not be written.
bool RunAtTheWindow(state::AppState& s, ui::HeadlessUi& ui, const BatchOptions& options,
                    const state::OutputNeeds& needs, std::optional<ExportRun>& export_run,
                    std::ostream& err) {
  s.Needs = needs;
  s.ResultsNeedATrack = options.season_round;
  if (!options.export_dir.empty()) export_run.emplace(options.export_dir, err);
  ScreenChecks screen_checks(export_run ? &export_run->Pictures() : nullptr);
  if (needs.screen_verdicts && !needs.screen_pictures) {
    s.ScreenChecksLater = [&](size_t entry, const std::string& path) {
      std::optional<std::string> picture_path;
      if (export_run) picture_path = export_run->ScreenPicturePath(s, entry);
      screen_checks.Check(entry, path, std::move(picture_path));
    };
  }
  app::OpenMainWindow(s, ui);
  ui.SetFolderChoice(options.base_dir);
  Organiser organiser(s, options, err);
  if (export_run) organiser.ExportInto(*export_run);
  ui.SetIdleHandler([&organiser](ui::HeadlessUi& headless) { organiser.OnIdle(headless); });
  app::RunEventLoop(s, ui);
  s.ScreenChecksLater = nullptr;
  screen_checks.NoteVerdictsIn(s.Record);
  return !organiser.PicturesFailed();
}

// Everything made from the finished run. The audit comes after the loop, so
// the window and the log are those of a run without it, and before the
// results files, which carry the findings. False when anything could not
// be written.
bool WriteRunOutputs(state::AppState& s, const BatchOptions& options,
                     std::optional<ExportRun>& export_run, std::ostream& out, std::ostream& err) {
  audit::AuditCompetition(s.Record, s.LoadedCar().Bytes(), {.period = options.period});
  bool complete = PrintResults(s, options, out, err);
  const bool ranked = s.StepCounter == state::kFinished;
  // The comparison with the recorded fingerprints adds findings of its own.
  if (ranked) complete &= FinishSavedEvaluation(options, s.Record, err);
  if (options.audit) out << audit::FindingsText(s.Record);
  if (ranked) {
    complete &= WriteResultsFiles(s.Record, options, out, err);
    if (export_run) complete &= export_run->Finish(s);
  }
  return complete;
}

}  // namespace

BatchOutcome RunCompetition(const BatchOptions& given, const state::OutputNeeds& needs,
                            std::ostream& out, std::ostream& err) {
  // A mistake in the evaluation file stops the run before anything is written.
  const auto with_saved = WithSavedEvaluation(given);
  if (!with_saved) {
    err << kProgram << ": " << with_saved.error().Describe() << '\n';
    return StoppedEarly();
  }
  const BatchOptions& options = *with_saved;
  if (!options.pictures_dir.empty() && !CreatePictureFolder(options.pictures_dir, err))
    return StoppedEarly();

  state::AppState s;
  ui::HeadlessUi ui;
  if (const auto started = app::InitState(s); !started) {
    err << kProgram << ": " << started.error().Describe() << '\n';
    return StoppedEarly();
  }
  std::optional<ExportRun> export_run;
  const bool pictures_written = RunAtTheWindow(s, ui, options, needs, export_run, err);
  if (const auto clash = ReportClash(options, {s.BaseDir, s.TrackBaseName})) {
    err << kProgram << ": " << *clash << '\n';
    app::ShutDown(s, ui);
    return StoppedEarly();
  }
  const bool complete = WriteRunOutputs(s, options, export_run, out, err) && pictures_written;
  app::ShutDown(s, ui);
  return {.status = complete ? kDone : kNotWritten,
          .ranked = s.StepCounter == state::kFinished,
          .record = std::move(s.Record)};
}

int RunCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err) {
  const std::span<char*> all(argv, static_cast<size_t>(argc > 0 ? argc : 0));
  const std::vector<std::string> args(all.begin() + (all.empty() ? 0 : 1), all.end());

  const int status = std::visit(
      [&](auto&& parsed) -> int {
        using Kind = std::decay_t<decltype(parsed)>;
        if constexpr (std::is_same_v<Kind, ShowHelp>) {
          out << UsageText();
          return kDone;
        } else if constexpr (std::is_same_v<Kind, ShowVersion>) {
          out << kProgram << " " HOTLAP_VERSION "\n";
          return kDone;
        } else if constexpr (std::is_same_v<Kind, UsageError>) {
          err << kProgram << ": " << parsed.message << " (see " << kProgram << " --help)\n";
          return kBadUsage;
        } else if constexpr (std::is_same_v<Kind, SeasonOptions>) {
          return RunSeason(parsed, out, err);
        } else {
          if (const auto clash = OutputClash(parsed)) {
            err << kProgram << ": " << *clash << '\n';
            return kBadUsage;
          }
          return RunBatch(parsed, NeedsOf(parsed), out, err);
        }
      },
      ParseCommandLine(args));
  // A full disk or a closed pipe shows only when the last bytes are flushed.
  if (out.flush()) return status;
  err << kProgram << ": could not write to standard output\n";
  return std::max(status, kNotWritten);
}

}  // namespace hl::batch
