#include "audit/entry_findings.h"
#include "audit/finding_list.h"

namespace hl::audit {

void AddFileFindings(const record::EntryRecord& entry, std::vector<record::Finding>& findings) {
  using record::TrackVerdict;
  if (!entry.track_file) findings.push_back(MakeFinding("no-track", "no track file in the folder"));
  if (entry.track_verdict == TrackVerdict::Damaged) {
    findings.push_back(MakeFinding("track-damaged",
                                   "the track file " + entry.track_file.value_or("") +
                                       " points outside its data, so it gives no result",
                                   {{"result_kept", false}}));
  } else if (entry.track_verdict == TrackVerdict::CutOff) {
    findings.push_back(MakeFinding("track-damaged",
                                   "the track file " + entry.track_file.value_or("") +
                                       " ends inside its objects or ghost; its result stands",
                                   {{"result_kept", true}}));
  }
  if (!entry.screen_file) {
    findings.push_back(MakeFinding("no-screen", "no screen file in the folder"));
  } else if (entry.evidence.screen_unreadable) {
    findings.push_back(MakeFinding("screen-unreadable",
                                   "the screen file " + *entry.screen_file + " cannot be decoded"));
  }
  if (!entry.game_file) findings.push_back(MakeFinding("no-game", "no game file in the folder"));
}

}  // namespace hl::audit
