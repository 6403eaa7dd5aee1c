#include "app/decisions/evidence_view.h"

#include <sstream>

#include "audit/audit.h"
#include "audit/finding_lines.h"

namespace hl::decisions {
namespace {

std::string DecisionText(const evaluation::Decision& decision) {
  std::string text = decision.withdrawn ? "withdrawn" : decision.time;
  if (!decision.reason.empty()) text += " (" + decision.reason + ")";
  if (decision.decided) text += ", decided " + *decision.decided;
  return text;
}

}  // namespace

std::vector<std::string> FindingLines(const record::EntryRecord& entry,
                                      const std::vector<record::Finding>& findings) {
  std::vector<std::string> lines = audit::FindingLines(findings);
  lines.push_back(audit::ScreenVerdictLine(entry.screen_file, entry.evidence.screen_unreadable));
  return lines;
}

std::vector<std::string> CompetitionFindingLines(const record::CompetitionRecord& competition) {
  std::vector<std::string> lines;
  std::istringstream text(audit::FindingsText(competition));
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  if (lines.empty()) lines.push_back("No findings");
  return lines;
}

std::vector<std::string> PenaltyLines(const std::optional<evaluation::SavedPenalty>& penalty) {
  if (!penalty) return {"No penalty"};
  std::vector<std::string> lines = {"Penalty: " + DecisionText({.time = penalty->time,
                                                                .reason = penalty->reason,
                                                                .decided = penalty->decided})};
  for (auto earlier = penalty->earlier.rbegin(); earlier != penalty->earlier.rend(); ++earlier) {
    lines.push_back("    before: " + DecisionText(*earlier));
  }
  return lines;
}

}  // namespace hl::decisions
