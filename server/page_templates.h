#pragma once
// The entrants' and the review console's page templates, built into the program from
// server/templates/ (see server/CMakeLists.txt).

#include <string_view>

namespace hl::server::embedded {

extern const std::string_view kUploadFormTemplate;
extern const std::string_view kVerdictTemplate;
extern const std::string_view kRefusalTemplate;
extern const std::string_view kSignupFormTemplate;
extern const std::string_view kSignupAnswerTemplate;
extern const std::string_view kEntrantEntryTemplate;
extern const std::string_view kReviewLoginTemplate;
extern const std::string_view kReviewBarTemplate;
extern const std::string_view kReviewQueueTemplate;
extern const std::string_view kReviewEntryTemplate;
extern const std::string_view kReviewMessageTemplate;
extern const std::string_view kReviewReevaluateTemplate;
extern const std::string_view kReviewPreviewTemplate;

}  // namespace hl::server::embedded
