#include "server/upload_verdict.h"

#include <algorithm>
#include <string_view>

#include "audit/shared_files.h"
#include "evaluation/file_changes.h"
#include "run/diagnostics.h"
#include "run/saved_evaluation.h"

namespace hl::server {
namespace {

bool ComparesEntries(const record::Finding& finding) {
  return std::string_view(finding.code).starts_with("duplicate-") ||
         finding.code == evaluation::kChangedSinceRecorded;
}

}  // namespace

record::CompetitionRecord AsEvaluatedAlone(record::CompetitionRecord competition) {
  for (record::EntryRecord& entry : competition.entries)
    std::erase_if(entry.findings, ComparesEntries);
  return competition;
}

void PutEntry(record::CompetitionRecord& competition, record::EntryRecord entry) {
  auto& entries = competition.entries;
  const auto place =
      std::lower_bound(entries.begin(), entries.end(), entry.folder,
                       [](const record::EntryRecord& held, const std::string& folder) {
                         return held.folder < folder;
                       });
  if (place != entries.end() && place->folder == entry.folder) {
    *place = std::move(entry);
  } else {
    entries.insert(place, std::move(entry));
  }
}

record::CompetitionRecord FinishedAsAFullRun(record::CompetitionRecord alone,
                                             const run::RunPlan& plan) {
  audit::AddDuplicateFindings(alone);
  run::Diagnostics ignored;
  run::RunPlan without_recording = plan;
  without_recording.record = false;
  (void)run::FinishSavedEvaluation(without_recording, alone, ignored);
  return alone;
}

}  // namespace hl::server
