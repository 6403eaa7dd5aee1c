#pragma once
// The results page of the competition shown in the window, as --export
// writes it. The page shows each entry's pictures as the window showed
// them, so they are kept in a private folder while the entries go by; the
// page is finished there once and copied wherever it is published.

#include <optional>
#include <string>

#include "run/diagnostics.h"
#include "run/export_run.h"
#include "state/state.h"
#include "toolkit/text/error.h"

namespace hl::decisions {

class StagedExport {
 public:
  StagedExport();  // creates the private folder; Publish then fails when it could not
  ~StagedExport();
  StagedExport(const StagedExport&) = delete;
  StagedExport& operator=(const StagedExport&) = delete;

  // Right after an entry was shown.
  void KeepEntryPictures(const state::AppState& s);
  // After the ranking and the audit: the page and its files into `folder`
  // (absolute, ends with "/"), each file replaced atomically. The number of
  // files written.
  Result<int> Publish(const state::AppState& s, const std::string& folder);

 private:
  std::string staging_;  // ends with "/"; "" when it could not be made
  run::Diagnostics log_;
  std::optional<run::ExportRun> run_;
  std::optional<bool> finished_;  // whether the page was written into the staging folder
};

}  // namespace hl::decisions
