#pragma once
// What the outputs of a run read, so the pipeline can leave out the work
// whose result nobody looks at. The window shows everything, so everything
// is the default; the batch front end narrows it to what its options write.
// Every log line and every fact of the evaluation record is produced
// whatever is left out, so the report, chart and results files do not
// depend on these choices.

namespace hl::state {

struct OutputNeeds {
  bool screen_pictures = true;  // the screen decoded and scaled into ScreenView
  bool screen_verdicts = true;  // whether each screen decodes, for the record's evidence
  bool track_pictures = true;   // image 1 drawn from the track file for each entry
  bool findings = true;         // the audit's findings, for the JSON, the page and --audit
};

}  // namespace hl::state
