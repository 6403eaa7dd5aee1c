#pragma once
// What the organiser decides in the window, kept in the competition's
// evaluation.toml: its penalties are applied to the entries as they are
// shown, exactly as a batch run applies them; every penalty given with
// "Strafe" is written into it with its reason, the time it was decided and
// the desktop user who decided it;
// after the ranking the results page is published and the fingerprints are
// recorded from here. Beside that, the evidence of the entry on screen.
// The main window stays as it is; all of this lives beside it.

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/decisions/competition_survey.h"
#include "app/decisions/desktop_user.h"
#include "app/decisions/evidence_view.h"
#include "evaluation/evaluation_file.h"
#include "state/state.h"
#include "toolkit/ui/ui.h"

namespace hl::decisions {

class StagedExport;

using Clock = std::function<std::chrono::system_clock::time_point()>;

class Decisions {
 public:
  // `user` is who decides ("" writes no one).
  explicit Decisions(Clock clock = std::chrono::system_clock::now,
                     std::string user = DesktopUser());
  ~Decisions();

  // After a press of StepButton changed the step: "Load" (the first entry
  // is shown), "Next", or the ranking.
  void StepTaken(state::AppState& s, ui::Ui& ui, int32_t step_before);
  // "Strafe": the typed penalty, with the reason of the evidence window,
  // applied and written into evaluation.toml.
  void Strafe(state::AppState& s, ui::Ui& ui);
  void SetReason(std::string reason) { reason_ = std::move(reason); }

  // After the ranking.
  void Publish(const state::AppState& s, const std::string& folder);
  void RecordFingerprints(const state::AppState& s);

  // True when the findings of the whole folder arrived since the last call.
  bool Poll();
  // Waits for them (tests, and the end of the run).
  void WaitForSurvey();

  const EvidenceView& View() const { return view_; }
  // The evaluation file of the loaded competition; "" before "Load".
  const std::string& EvaluationPath() const { return path_; }

 private:
  void Load(const state::AppState& s);
  void EntryShown(state::AppState& s, ui::Ui& ui);
  void Finish(state::AppState& s);
  void ApplySavedPenalty(state::AppState& s, ui::Ui& ui);
  void Decide(record::EntryRecord& entry, const std::string& time);
  void ShowEvidence(const state::AppState& s);
  void RefreshFindings();
  const evaluation::SavedPenalty* SavedPenaltyOf(const std::string& folder) const;
  record::EntryRecord* ShownEntry(state::AppState& s) const;

  Clock clock_;
  std::string user_;
  std::string base_dir_;
  std::string path_;
  std::optional<evaluation::EvaluationFile> saved_;
  std::string load_problem_;  // why the file cannot be used; "" when it can
  std::atomic<bool> stop_survey_ = false;
  std::future<Survey> survey_running_;  // declared after the flag it reads
  std::optional<Survey> survey_;
  std::unique_ptr<StagedExport> export_;
  // The entry on screen: its result as decoded, whether the log shows a
  // penalty of this showing, and its own findings.
  std::string unpenalised_result_;
  bool penalised_ = false;
  std::vector<record::Finding> own_findings_;
  std::optional<record::EntryRecord> shown_;  // a copy: the record grows while it is shown
  std::string reason_;
  EvidenceView view_;
};

}  // namespace hl::decisions
