#pragma once
// The results as CSV (RFC 4180, UTF-8, CR LF): one row per ranked entry in
// ranking order, then the entries without a result, with an empty place.

#include <string>

#include "record/competition_record.h"

namespace hl::publish {

std::string ResultsCsv(const record::CompetitionRecord& competition);

}  // namespace hl::publish
