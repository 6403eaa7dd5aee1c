#pragma once
// What the evidence window shows for the entry on screen, as plain text
// lines, so the window only lays them out.

#include <optional>
#include <string>
#include <vector>

#include "evaluation/evaluation_file.h"
#include "record/competition_record.h"

namespace hl::decisions {

struct EvidenceView {
  std::string entry;                  // the entry folder; "" before the first
  std::vector<std::string> findings;  // one line each, details indented
  bool copies_pending = false;        // the comparison with the other entries runs
  std::vector<std::string> penalty;   // the penalty and its earlier decisions
  std::string reason;                 // the reason saved for the entry, for the field
  std::string status;                 // what the last action did, or why it could not
  bool ranked = false;                // publishing and recording are offered
};

// The entry's findings in the audit's order, each as a readable line, the
// car's differing bytes below its finding; the screen's verdict last.
std::vector<std::string> FindingLines(const record::EntryRecord& entry,
                                      const std::vector<record::Finding>& findings);

// Every entry's findings, one line each as --audit prints them.
std::vector<std::string> CompetitionFindingLines(const record::CompetitionRecord& competition);

// "6000 (screen shot missing), decided 2026-12-08T17:30:05Z" and one line
// per earlier decision; "no penalty" without one.
std::vector<std::string> PenaltyLines(const std::optional<evaluation::SavedPenalty>& penalty);

}  // namespace hl::decisions
