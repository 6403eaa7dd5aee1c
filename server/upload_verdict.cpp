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

size_t PutEntry(record::CompetitionRecord& competition, record::EntryRecord entry) {
  auto& entries = competition.entries;
  auto place = std::lower_bound(entries.begin(), entries.end(), entry.folder,
                                [](const record::EntryRecord& held, const std::string& folder) {
                                  return held.folder < folder;
                                });
  if (place != entries.end() && place->folder == entry.folder) {
    *place = std::move(entry);
  } else {
    place = entries.insert(place, std::move(entry));
  }
  return static_cast<size_t>(place - entries.begin());
}

record::EntryRecord FinishedAsAFullRun(const record::CompetitionRecord& alone, size_t index,
                                       const run::RunPlan& plan) {
  // The saved evaluation finishes each entry by itself, so it is given the
  // entry alone, with the findings that compare it with all the others.
  record::CompetitionRecord one{.folder = alone.folder,
                                .track = alone.track,
                                .car_files = alone.car_files,
                                .car_file = alone.car_file,
                                .entries = {alone.entries[index]}};
  std::vector<record::Finding>& findings = one.entries.front().findings;
  for (record::Finding& finding : audit::DuplicateFindingsOf(alone, index))
    findings.push_back(std::move(finding));
  run::Diagnostics ignored;
  run::RunPlan without_recording = plan;
  without_recording.record = false;
  (void)run::FinishSavedEvaluation(without_recording, one, ignored);
  return std::move(one.entries.front());
}

}  // namespace hl::server
