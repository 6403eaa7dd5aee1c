#include "audit/audit.h"

#include "audit/entry_findings.h"
#include "audit/shared_files.h"

namespace hl::audit {
namespace {

// Folder and file names come from the file system and may hold line breaks.
std::string OnOneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

}  // namespace

void AuditCompetition(record::CompetitionRecord& competition,
                      std::span<const uint8_t> reference_car, const AuditSettings& settings) {
  for (record::EntryRecord& entry : competition.entries) {
    AddFileFindings(entry, entry.findings);
    AddCarFindings(entry, competition.car_file, reference_car, entry.findings);
    if (settings.period) AddPeriodFindings(entry, *settings.period, entry.findings);
    AddGhostJumpFindings(entry, entry.findings);
  }
  AddDuplicateFindings(competition);
}

std::string FindingsText(const record::CompetitionRecord& competition) {
  std::string text;
  for (const record::EntryRecord& entry : competition.entries) {
    for (const record::Finding& finding : entry.findings) {
      text += OnOneLine(entry.folder + ": " + finding.code + ": " + finding.message) + "\n";
    }
  }
  return text;
}

}  // namespace hl::audit
