#pragma once
// The entrants' pages: the upload form (no script; it works in any browser)
// and the verdict after an upload, with the same facts as the JSON answer.
// Every text from a file or a request is escaped.

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "evaluation/closing_time.h"

namespace hl::server {

std::string UploadFormPage(const std::optional<evaluation::ClosingTime>& closes);
// `answer` is the JSON answer of an accepted upload.
std::string VerdictPage(const nlohmann::ordered_json& answer);
std::string RefusalPage(unsigned status, const std::string& message);

// "uploads close 2026-12-24 17:00 UTC (2026-12-24 18:00 +01:00)"
std::string ClosingSentence(const evaluation::ClosingTime& closes, bool closed);

}  // namespace hl::server
