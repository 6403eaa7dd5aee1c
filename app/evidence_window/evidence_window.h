#pragma once
// The evidence window: a second top-level window beside the main window that
// follows the entry shown, with its findings, its penalty and the reason
// field "Strafe" saves with the penalty; after the ranking it publishes the
// results page and records the fingerprints.

#include <functional>
#include <memory>
#include <string>

#include "app/decisions/decisions.h"
#include "state/state.h"

class QWidget;

namespace hl::evidence {

class EvidenceWindow {
 public:
  // Answers the folder to publish into ("" = cancelled); a folder dialog
  // unless given.
  using FolderChooser = std::function<std::string(const std::string& initial)>;

  EvidenceWindow(decisions::Decisions& decisions, const state::AppState& s,
                 FolderChooser choose = {});
  ~EvidenceWindow();
  EvidenceWindow(const EvidenceWindow&) = delete;
  EvidenceWindow& operator=(const EvidenceWindow&) = delete;

  // After every event of the main loop: opens with "Load" and shows what
  // Decisions now holds.
  void Follow();

  QWidget* WidgetForTest() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace hl::evidence
