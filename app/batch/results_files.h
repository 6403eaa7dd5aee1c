#pragma once
// The results files a batch run was asked for (--json, --csv).

#include <ostream>
#include <string>

#include "app/batch/command_line.h"
#include "record/competition_record.h"

namespace hl::batch {

// Replaces `destination` atomically with `content` (or prints it for
// kStandardOutput); `err` names what was written or could not be.
bool Deliver(const std::string& destination, const std::string& content, const char* what,
             std::ostream& out, std::ostream& err);

// True when results go to standard output in place of the report.
bool ResultsReplaceReport(const BatchOptions& options);

// Writes each requested file (replacing it atomically) or prints it; false
// when one could not be written, which `err` then names.
bool WriteResultsFiles(const record::CompetitionRecord& competition, const BatchOptions& options,
                       std::ostream& out, std::ostream& err);

}  // namespace hl::batch
