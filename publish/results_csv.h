#pragma once
// The results as CSV (RFC 4180, UTF-8, CR LF): one row per ranked entry in
// ranking order, then the entries without a result, with an empty place.

#include <string>

#include "record/competition_record.h"

namespace hl::publish {

std::string ResultsCsv(const record::CompetitionRecord& competition);

// One field, quoted when it holds a comma, a quote, a line break or spaces
// at its ends; other control characters and bytes that are not UTF-8 become
// U+FFFD, so no name can break a row.
std::string CsvField(std::string_view text);

}  // namespace hl::publish
