#include "app/decisions/decisions.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/decisions/result_line.h"
#include "app/decisions/staged_export.h"
#include "audit/audit.h"
#include "audit/entry_findings.h"
#include "evaluation/competition_file.h"
#include "evaluation/decision_writer.h"
#include "evaluation/fingerprint_writer.h"
#include "evaluation/run_fingerprints.h"
#include "record/rules.h"
#include "workflow/penalty.h"

namespace hl::decisions {
namespace {

namespace id = state::id;

std::optional<audit::Period> PeriodOf(const std::optional<evaluation::EvaluationFile>& saved) {
  if (!saved || !saved->period) return std::nullopt;
  auto period = audit::ParsePeriod(*saved->period);
  return period ? std::optional(*period) : std::nullopt;
}

bool InsideFolder(const std::string& path, const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const std::string inner = fs::weakly_canonical(path, ec).string() + "/";
  const std::string outer = fs::weakly_canonical(folder, ec).string() + "/";
  return !ec && inner.starts_with(outer);
}

}  // namespace

Decisions::Decisions(Clock clock, std::string user)
    : clock_(std::move(clock)), user_(std::move(user)) {}

// A window closed early need not wait for the rest of the survey.
Decisions::~Decisions() { stop_survey_ = true; }

void Decisions::StepTaken(state::AppState& s, ui::Ui& ui, int32_t step_before) {
  if (step_before == 0) Load(s);
  if (s.StepCounter == state::kFinished) {
    Finish(s);
  } else {
    EntryShown(s, ui);
  }
}

// A file that cannot be used is named once and then left alone: nothing is
// applied from it and nothing written into it.
void Decisions::Load(const state::AppState& s) {
  if (s.BaseDir.empty()) return;
  base_dir_ = s.BaseDir;
  path_ = evaluation::CompetitionFilePath(s.BaseDir);
  auto saved = evaluation::ReadEvaluationFile(path_, s.BaseDir, true);
  if (saved && saved->period && !audit::ParsePeriod(*saved->period)) {
    saved = Fail(Error{"line " + std::to_string(saved->period_line) +
                           ": period: " + audit::ParsePeriod(*saved->period).error().what,
                       path_, std::nullopt});
  }
  if (saved) {
    saved_ = std::move(*saved);
  } else {
    load_problem_ = saved.error().Describe();
    view_.status = load_problem_ + "; penalties are neither applied from it nor saved in it";
  }
  const std::optional<evaluation::Fingerprints> recorded =
      saved_ ? saved_->fingerprints : std::nullopt;
  survey_running_ = std::async(std::launch::async, SurveyCompetition, s.BaseDir, recorded,
                               std::cref(stop_survey_));
  view_.copies_pending = true;
  export_ = std::make_unique<StagedExport>();
}

record::EntryRecord* Decisions::ShownEntry(state::AppState& s) const {
  const state::TextList& entries = s.FolderList;
  if (entries.Index() < 0 || entries.Index() >= entries.Count()) return nullptr;
  record::EntryRecord* entry = s.Record.Current();
  return entry != nullptr && entry->folder == entries.Current() ? entry : nullptr;
}

const evaluation::SavedPenalty* Decisions::SavedPenaltyOf(const std::string& folder) const {
  if (!saved_) return nullptr;
  const auto found = std::find_if(saved_->penalties.begin(), saved_->penalties.end(),
                                  [&](const auto& p) { return p.entry == folder; });
  return found == saved_->penalties.end() ? nullptr : &*found;
}

void Decisions::EntryShown(state::AppState& s, ui::Ui& ui) {
  record::EntryRecord* entry = ShownEntry(s);
  penalised_ = false;
  own_findings_.clear();
  if (entry == nullptr) {
    view_.entry.clear();
    ShowEvidence(s);
    return;
  }
  unpenalised_result_ = entry->track ? entry->track->result : "";
  ApplySavedPenalty(s, ui);
  audit::AddFileFindings(*entry, own_findings_);
  audit::AddCarFindings(*entry, s.Record.car_file, s.LoadedCar().Bytes(), own_findings_);
  if (const auto period = PeriodOf(saved_))
    audit::AddPeriodFindings(*entry, *period, own_findings_);
  audit::AddGhostJumpFindings(*entry, own_findings_);
  if (export_) export_->KeepEntryPictures(s);
  const evaluation::SavedPenalty* saved = SavedPenaltyOf(entry->folder);
  reason_ = saved ? saved->reason : "";
  view_.reason = reason_;
  view_.entry = entry->folder;
  ShowEvidence(s);
}

// As a batch run applies it: the penalty typed into the field and "Strafe"
// pressed, for an entry whose track file gave a result line.
void Decisions::ApplySavedPenalty(state::AppState& s, ui::Ui& ui) {
  record::EntryRecord* entry = ShownEntry(s);
  const evaluation::SavedPenalty* saved = SavedPenaltyOf(entry->folder);
  if (saved == nullptr) return;
  // Without a result line it would rewrite whatever digits match the time.
  if (s.TrackFileInvalid) {
    view_.status = "Saved penalty of " + entry->folder + " not applied: no valid track file";
    return;
  }
  ui.SetText(id::kPenaltyField, saved->time);
  workflow::ApplyPenalty(s, ui);
  if (entry->penalty) entry->penalty->reason = saved->reason;
  penalised_ = true;
}

// A second penalty of the same showing replaces the first, so the result
// line is put back as decoded before it is applied: the log, the file and a
// later batch run then agree on the one penalty decided last.
void Decisions::Strafe(state::AppState& s, ui::Ui& ui) {
  record::EntryRecord* entry = ShownEntry(s);
  const std::string typed = ui.ReadText(id::kPenaltyField);
  if (entry != nullptr && penalised_ && record::IsPenaltyTime(typed)) {
    ui.SetText(id::kLogBox, WithResultLine(ui.ReadText(id::kLogBox), unpenalised_result_));
    if (entry->track) entry->track->result = unpenalised_result_;
    entry->penalty.reset();
  }
  workflow::ApplyPenalty(s, ui);
  // A refused time leaves the penalty shown before, which is decided already.
  if (entry == nullptr || !record::IsPenaltyTime(typed) || !entry->penalty) return;
  penalised_ = true;
  entry->penalty->reason = reason_;
  Decide(*entry, typed);
  ShowEvidence(s);
}

void Decisions::Decide(record::EntryRecord& entry, const std::string& time) {
  const std::string& folder = entry.folder;
  if (!load_problem_.empty()) {
    view_.status =
        "Penalty of " + folder + " not saved: " + load_problem_ + "; the file was left as it is";
    return;
  }
  const evaluation::Decision decision{.time = time,
                                      .reason = reason_,
                                      .decided = evaluation::DecidedText(clock_()),
                                      .by = user_.empty() ? std::nullopt : std::optional(user_)};
  const auto written = evaluation::RecordDecision(path_, folder, decision);
  if (!written) {
    view_.status = "Penalty of " + folder + " not saved: " + written.error().Describe();
    return;
  }
  // Read back, so what the window shows is what the file now holds.
  auto saved = evaluation::ReadEvaluationFile(path_, base_dir_, true);
  if (!saved) {
    load_problem_ = saved.error().Describe();
    view_.status = "Penalty of " + folder + " saved, but " + load_problem_;
    return;
  }
  saved_ = std::move(*saved);
  view_.status = *written ? "Penalty of " + folder + " saved in " + path_
                          : "Penalty of " + folder + " unchanged in " + path_;
}

// As a batch run finishes: the audit over every entry, then the files
// changed since the fingerprints were recorded.
void Decisions::Finish(state::AppState& s) {
  view_.entry.clear();
  view_.ranked = true;
  if (!path_.empty()) {
    audit::AuditCompetition(s.Record, s.LoadedCar().Bytes(), {.period = PeriodOf(saved_)});
    WaitForSurvey();
    evaluation::AddChangeFindings(survey_->changes, s.Record);
  }
  ShowEvidence(s);
  view_.findings = CompetitionFindingLines(s.Record);
}

// A page folder inside the base folder would be evaluated as an entry.
void Decisions::Publish(const state::AppState& s, const std::string& folder) {
  if (!export_ || folder.empty()) return;
  if (InsideFolder(folder, base_dir_)) {
    view_.status = "Results page not written: " + folder +
                   " lies inside the competition folder, where it would count as an entry";
    return;
  }
  const auto written = export_->Publish(s, folder);
  view_.status = written ? "Results page written to " + folder + "index.html (" +
                               std::to_string(*written) + " files)"
                         : "Results page not written: " + written.error().Describe();
}

void Decisions::RecordFingerprints(const state::AppState& s) {
  if (path_.empty()) return;
  if (!load_problem_.empty()) {
    view_.status = "Fingerprints not recorded: " + load_problem_ + "; the file was left as it is";
    return;
  }
  const evaluation::RunFingerprints current = evaluation::TakeFingerprints(s.Record);
  const auto recorded = evaluation::RecordFingerprints(path_, current.files);
  if (!recorded) {
    view_.status = "Fingerprints not recorded: " + recorded.error().Describe();
    return;
  }
  view_.status =
      "Fingerprints of " + std::to_string(current.files.size()) + " files recorded in " + path_;
  for (const std::string& problem : current.not_taken)
    view_.status += "; no fingerprint of " + problem;
}

bool Decisions::Poll() {
  if (!survey_running_.valid() ||
      survey_running_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
    return false;
  WaitForSurvey();
  return true;
}

void Decisions::WaitForSurvey() {
  if (survey_running_.valid()) survey_ = survey_running_.get();
  if (!survey_) survey_.emplace();
  view_.copies_pending = false;
  if (!view_.entry.empty()) RefreshFindings();
}

void Decisions::ShowEvidence(const state::AppState& s) {
  const record::EntryRecord* entry = nullptr;
  for (const record::EntryRecord& e : s.Record.entries) {
    if (e.folder == view_.entry) entry = &e;
  }
  shown_ = entry == nullptr ? std::optional<record::EntryRecord>() : *entry;
  RefreshFindings();
}

// The entry's own findings, then those that need the other entries, in
// the order --audit gives them.
void Decisions::RefreshFindings() {
  view_.findings.clear();
  view_.penalty.clear();
  if (!shown_) return;
  std::vector<record::Finding> findings = own_findings_;
  if (survey_) {
    const auto found = survey_->findings.find(shown_->folder);
    if (found != survey_->findings.end())
      findings.insert(findings.end(), found->second.begin(), found->second.end());
  }
  view_.findings = FindingLines(*shown_, findings);
  const evaluation::SavedPenalty* saved = SavedPenaltyOf(shown_->folder);
  view_.penalty = PenaltyLines(saved ? std::optional(*saved) : std::nullopt);
}

}  // namespace hl::decisions
