#include "run/competition_run.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "audit/audit.h"
#include "results/google_export.h"
#include "results/result_path.h"
#include "run/export_run.h"
#include "run/output_checks.h"
#include "run/results_files.h"
#include "run/saved_evaluation.h"
#include "run/screen_checks.h"
#include "run/track_pictures.h"
#include "toolkit/ui/editor_lines.h"
#include "toolkit/ui/headless_ui.h"
#include "workflow/penalty.h"
#include "workflow/startup.h"
#include "workflow/steps.h"

namespace hl::run {
namespace {

// The state and the headless window of one run, with the writers that work
// off its steps.
struct Run {
  Run(const RunPlan& prepared, Diagnostics& messages) : plan(prepared), diagnostics(messages) {}

  const RunPlan& plan;
  Diagnostics& diagnostics;
  state::AppState s;
  ui::HeadlessUi ui;
  std::optional<ExportRun> export_run;
  std::optional<TrackPictures> track_pictures;
  std::optional<results::LeftOverChart> left_over_chart;
  std::vector<std::vector<std::string>> entry_logs;
  ExitStatus status = ExitStatus::kDone;
  std::optional<std::string> stopped;

  void Fails(bool written) { status = Worse(status, WrittenOrNot(written)); }
};

Result<void> CreatePictureFolder(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code made, checked;
  fs::create_directories(folder, made);
  if (fs::is_directory(folder, checked)) return {};
  // `folder` ends with "/", so a file of its name is found without it.
  const std::string why = fs::exists(fs::path(folder).parent_path(), checked)
                              ? ": a file of that name is in the way"
                          : made ? ": " + made.message()
                                 : "";
  return Fail(
      {.what = "cannot create the picture folder " + folder + why, .file = "", .offset = {}});
}

// What the run does with the entry the workflow just showed: the penalty
// in place of its time, its pictures.
void HandleShownEntry(Run& run) {
  state::AppState& s = run.s;
  const state::TextList& entries = s.FolderList;
  // A base folder without entries still gets one step, which shows nothing.
  if (entries.Index() < 0 || entries.Index() >= entries.Count()) return;
  const std::string& entry = entries.Current();
  run.diagnostics.Note(std::to_string(s.StepCounter) + " / " + std::to_string(entries.Count()) +
                       "   " + entry);
  if (auto penalty = run.plan.penalties.find(entry); penalty != run.plan.penalties.end()) {
    // Without a result line the penalty would rewrite digits of some other
    // log line that happen to match the previous entry's time.
    if (s.TrackFileInvalid) {
      run.diagnostics.Problem(entry + " has no valid track file; penalty not applied");
    } else {
      workflow::ApplyPenalty(s, run.ui, penalty->second);
    }
  }
  if (run.track_pictures && !s.TrackFileInvalid) run.track_pictures->Save(s, entry);
  if (run.export_run) run.export_run->SaveEntryPictures(s);
}

// The workflow's steps in a loop, from "Load" to the ranking. Where no step
// needs its screen, the screens are checked (and for a results page
// written) on every core while the run goes on.
void EvaluateEntries(Run& run, const state::OutputNeeds& needs) {
  state::AppState& s = run.s;
  s.Needs = needs;
  s.ResultsNeedATrack = run.plan.season_round;
  s.ChartInBandsLater = run.plan.tall_chart_later;
  ScreenChecks screen_checks(run.export_run ? &run.export_run->Pictures() : nullptr,
                             run.export_run ? run.export_run->Plan() : nullptr);
  if (needs.screen_verdicts && !needs.screen_pictures) {
    s.ScreenChecksLater = [&](size_t entry, const std::string& path) {
      std::optional<std::string> picture_path;
      if (run.export_run) picture_path = run.export_run->ScreenPicturePath(s, entry);
      screen_checks.Check(entry, path, std::move(picture_path));
    };
  }
  if (run.export_run) {
    s.EarlierChartPng = [&run](const raster::Image& chart) {
      return run.export_run->EarlierChart(chart);
    };
  }
  workflow::OpenMainWindow(s, run.ui);
  run.ui.SetFolderChoice(run.plan.base_dir);
  while (s.StepCounter != state::kFinished) {
    workflow::TakeStep(s, run.ui);
    if (s.StepCounter == state::kFinished) break;
    HandleShownEntry(run);
    run.entry_logs.push_back(ui::EditorTextLines(run.ui.ReadText(state::id::kLogBox)));
  }
  // Before the Google export sorts the ranking the other way.
  run.left_over_chart = results::LeftOverChart::Take(s);
  if (run.track_pictures) run.Fails(run.track_pictures->Finish());
  if (run.plan.google) results::ExportGoogleChart(s, run.ui);
  s.ScreenChecksLater = nullptr;
  s.EarlierChartPng = nullptr;
  screen_checks.NoteVerdictsIn(s.Record);
}

// What the report and the chart came to, and the Google text when asked for.
void NoteReportAndChart(Run& run) {
  const state::AppState& s = run.s;
  if (run.plan.google && s.GoogleText.empty()) {
    run.diagnostics.Problem("no Google chart parameters: " + s.CurrentDir +
                            "google_charts.txt cannot be read");
    run.Fails(false);
  }
  // A season names the round as failed, and why.
  if (results::ResultsWithheld(s)) {
    run.Fails(false);
    return;
  }
  const std::string stem = results::ResultFolder(s) + s.TrackBaseName;
  if (s.ReportSaved) {
    run.diagnostics.Note("Report written to " + stem + ".txt");
  } else {
    run.diagnostics.Problem("could not write the report " + stem + ".txt");
  }
  if (s.ChartSaved) {
    run.diagnostics.Note("Chart written to " + stem + ".png");
  } else if (run.left_over_chart) {
    run.diagnostics.Note("Chart to be written to " + stem + ".png after the page");
  } else {
    run.diagnostics.Problem("could not write the chart " + stem + ".png");
  }
  run.Fails(s.ReportSaved && (s.ChartSaved || run.left_over_chart));
}

// After the entries: the audit comes after the workflow, so the window and
// the log are those of a run without it, and before the saved evaluation
// adds its findings and the results files carry them all; a run none of
// whose outputs reads them does without.
void FinishOutputs(Run& run) {
  state::AppState& s = run.s;
  if (s.Needs.findings)
    audit::AuditCompetition(s.Record, s.LoadedCar().Bytes(), {.period = run.plan.period});
  NoteReportAndChart(run);
  // The report and chart have their names only now.
  if (auto clash = ReportClash(run.plan, {results::ResultFolder(s), s.TrackBaseName})) {
    run.diagnostics.Problem(*clash);
    run.status = ExitStatus::kBadUsage;
    run.stopped = std::move(clash);
    return;
  }
  run.Fails(FinishSavedEvaluation(run.plan, s.Record, run.diagnostics));
  run.Fails(WriteResultsFiles(s.Record, run.plan, run.diagnostics));
  if (run.export_run) run.Fails(run.export_run->Finish(s));
}

EvaluatedCompetition StoppedBefore(const Error& reason, ExitStatus status,
                                   Diagnostics& diagnostics) {
  diagnostics.Problem(reason.Describe());
  EvaluatedCompetition stopped;
  stopped.status = status;
  stopped.stopped = reason.Describe();
  stopped.diagnostics = diagnostics.Take();
  return stopped;
}

}  // namespace

EvaluatedCompetition EvaluateCompetition(const RunPlan& given, const state::OutputNeeds& needs,
                                         Diagnostics::Listener live) {
  Diagnostics diagnostics(std::move(live));
  // A mistake in the saved evaluation, or a picture folder that cannot be
  // made, stops the run before anything is written.
  const Result<RunPlan> plan = WithSavedEvaluation(given);
  if (!plan) return StoppedBefore(plan.error(), ExitStatus::kBadUsage, diagnostics);
  if (!plan->pictures_dir.empty()) {
    if (const auto made = CreatePictureFolder(plan->pictures_dir); !made)
      return StoppedBefore(made.error(), ExitStatus::kNotWritten, diagnostics);
  }
  Run run(*plan, diagnostics);
  if (const auto started = workflow::InitState(run.s); !started)
    return StoppedBefore(started.error(), ExitStatus::kBadUsage, diagnostics);
  run.s.ReportDir = plan->report_dir;
  if (!plan->export_dir.empty())
    run.export_run.emplace(plan->export_dir, diagnostics, plan->publication,
                           plan->export_durability);
  if (!plan->pictures_dir.empty()) run.track_pictures.emplace(plan->pictures_dir, diagnostics);

  EvaluateEntries(run, needs);
  FinishOutputs(run);
  workflow::ShutDown(run.s, run.ui);
  return {.status = run.status,
          .stopped = std::move(run.stopped),
          .record = std::move(run.s.Record),
          .report_text = std::move(run.s.ReportText),
          .google_text = std::move(run.s.GoogleText),
          .entry_logs = std::move(run.entry_logs),
          .diagnostics = diagnostics.Take(),
          .left_over_chart = std::move(run.left_over_chart)};
}

}  // namespace hl::run
