#pragma once
// The console's pages of a re-evaluation: the evaluation file to edit with
// a Preview button, and a preview's changes, old beside new, with the forms
// that apply or discard it. No script; the templates escape every text.

#include <string>

#include <nlohmann/json.hpp>

#include "server/review_pages.h"

namespace hl::server {

// What the viewer's last step got; "" for none.
struct StepOutcome {
  std::string text;
  bool failed = false;
};

std::string ReevaluateFormPage(const std::string& evaluation, const StepOutcome& outcome,
                               const ReviewViewer& viewer);
// `shown` as Reevaluations::Shown gives it.
std::string PreviewPage(const nlohmann::ordered_json& shown, const StepOutcome& outcome,
                        const ReviewViewer& viewer);

}  // namespace hl::server
