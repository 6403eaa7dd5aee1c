#pragma once
// The results as JSON: the competition, the ranking exactly as the report
// ranks it, and every entry's facts (format: docs/results-format.md).

#include <cstddef>
#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "publish/publication.h"
#include "record/competition_record.h"

namespace hl::publish {

inline constexpr int kResultsFormatVersion = 2;

// With a standing stated, `"provisional"` follows the version: true or false.
nlohmann::ordered_json ResultsJson(const record::CompetitionRecord& competition,
                                   const Publication& publication = {});
nlohmann::ordered_json EntryJson(const record::EntryRecord& entry);

// Indented, UTF-8, ending with a line feed. Bytes of names that are not
// valid UTF-8 come out as U+FFFD rather than as broken JSON.
std::string JsonText(const nlohmann::ordered_json& json);

// Adds fields of its own to the JSON of the entry at an index.
using EntryExtension = std::function<void(size_t, nlohmann::ordered_json&)>;

// JsonText(ResultsJson(competition, publication)), each entry extended by
// `extend`, made one entry at a time: a competition of thousands of entries
// never holds all of them as JSON values at once.
std::string ResultsJsonText(const record::CompetitionRecord& competition,
                            const Publication& publication = {}, const EntryExtension& extend = {});

}  // namespace hl::publish
