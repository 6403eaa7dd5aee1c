#pragma once
// The entrants' pages: the upload and sign-up forms (no script; they work in
// any browser), the verdict after an upload in words, with the same facts as
// the JSON answer, and the token after a sign-up. Every text from a file or a
// request is escaped.

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "evaluation/closing_time.h"

namespace hl::server {

enum class EntrantForm { kUpload, kSignup };

// Once `closed`, the forms' pages say when uploads closed and show no form.
std::string UploadFormPage(const std::optional<evaluation::ClosingTime>& closes, bool closed);
std::string SignupFormPage(const std::optional<evaluation::ClosingTime>& closes, bool closed);
std::string SignupAnswerPage(const std::string& entry, const std::string& token);
// `answer` is the JSON answer of an accepted upload.
std::string VerdictPage(const nlohmann::ordered_json& answer);
std::string RefusalPage(EntrantForm form, unsigned status, const std::string& message);
// The entrant's own page: `entry` is {"entry", "verdict", "place", "versions",
// "decisions"} as the entrant may see them, or null for the token's form.
std::string EntrantEntryPage(const nlohmann::ordered_json& entry, const std::string& message);

// "uploads close 2026-12-24 17:00 UTC (2026-12-24 18:00 +01:00)"
std::string ClosingSentence(const evaluation::ClosingTime& closes, bool closed);

}  // namespace hl::server
