#pragma once
// The entrants' page templates, built into the program from
// server/templates/ (see server/CMakeLists.txt).

#include <string_view>

namespace hl::server::embedded {

extern const std::string_view kUploadFormTemplate;
extern const std::string_view kVerdictTemplate;
extern const std::string_view kRefusalTemplate;
extern const std::string_view kSignupFormTemplate;
extern const std::string_view kSignupAnswerTemplate;

}  // namespace hl::server::embedded
