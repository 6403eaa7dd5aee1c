// The review console's re-evaluation routes: the form with the evaluation
// file, the preview page with its apply and discard forms, and the JSON API,
// each a call of Reevaluations.

#include "evaluation/evaluation_file.h"
#include "server/reevaluation_pages.h"
#include "server/review_console.h"

namespace hl::server {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kHtmlType = "text/html; charset=utf-8";
constexpr const char* kRefusedPrefix = "Refused: ";

std::optional<std::string> CurrentText(const std::string& evaluation_file) {
  if (evaluation_file.empty()) return "";
  const auto text = evaluation::ReadEvaluationText(evaluation_file);
  if (!text) return std::nullopt;
  return text->value_or("");
}

// A textarea sends its lines ended by CR LF; a file whose lines end in LF
// alone keeps them so.
std::string AsFileText(std::string text, const std::string& current) {
  if (current.find("\r\n") != std::string::npos) return text;
  std::string lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' || i + 1 >= text.size() || text[i + 1] != '\n') lines += text[i];
  }
  return lines;
}

// The request's fields: the JSON body (an empty one is {}), or the form's.
std::optional<Json> Inputs(const ReviewRequest& request, bool api) {
  if (api && request.body.find_first_not_of(" \t\r\n") == std::string::npos) return Json::object();
  return RequestFields(request.body, api);
}

std::string TextOf(const Json& inputs, const char* key) {
  const Json& value = At(inputs, key);
  return value.is_string() ? value.get<std::string>() : "";
}

}  // namespace

ReviewReply ReviewConsole::ReevaluateForm(const Caller& caller) {
  const ReviewViewer viewer{caller.organiser, caller.csrf};
  const auto current = CurrentText(options_.evaluation_file);
  StepOutcome outcome;
  if (!caller.session.empty()) outcome.text = sessions_.TakeOutcome(caller.session);
  outcome.failed = outcome.text.starts_with(kRefusedPrefix);
  if (!current) outcome = {"The evaluation file cannot be read now.", true};
  return {.status = 200,
          .body = ReevaluateFormPage(current.value_or(""), outcome, viewer),
          .type = kHtmlType};
}

ReviewReply ReviewConsole::Reevaluate(const ReviewRequest& request, const Caller& caller) {
  const bool api = request.routed.route == Route::kReviewApiReevaluate;
  const auto inputs = Inputs(request, api);
  if (!inputs)
    return Refused(request, 400,
                   api ? "the body must be a JSON object" : "the form data cannot be read");
  const Json& evaluation = At(*inputs, "evaluation");
  if (!evaluation.is_null() && !evaluation.is_string())
    return Refused(request, 400, "evaluation must be the text of an evaluation file, or null");
  std::optional<std::string> proposal;
  if (evaluation.is_string()) proposal = evaluation.get<std::string>();
  if (!api) {
    // The form always sends the text: unchanged, it proposes the file as it is.
    const auto current = CurrentText(options_.evaluation_file);
    proposal = AsFileText(proposal.value_or(""), current.value_or(""));
    if (current && *proposal == *current) proposal.reset();
  }
  const ReevaluationAnswer answer = reevaluations_.Preview(caller.organiser, proposal);
  if (api) {
    if (answer.status != 200) return JsonAnswer(answer.status, {{"error", answer.message}});
    return JsonAnswer(200, answer.body);
  }
  if (answer.status == 200)
    return SeeOther("/review/reevaluate/" + answer.body["id"].get<std::string>());
  const ReviewViewer viewer{caller.organiser, caller.csrf};
  return {.status = answer.status,
          .body = ReevaluateFormPage(
              proposal.value_or(CurrentText(options_.evaluation_file).value_or("")),
              {kRefusedPrefix + answer.message, true}, viewer),
          .type = kHtmlType};
}

ReviewReply ReviewConsole::PreviewShown(const ReviewRequest& request, const Caller& caller) {
  const ReviewViewer viewer{caller.organiser, caller.csrf};
  const auto shown = reevaluations_.Shown(request.routed.preview);
  if (!shown)
    return {.status = 404,
            .body = ReviewMessagePage(
                404, "there is no such preview: it was applied, discarded or forgotten", viewer),
            .type = kHtmlType};
  StepOutcome outcome;
  if (!caller.session.empty()) outcome.text = sessions_.TakeOutcome(caller.session);
  outcome.failed = outcome.text.starts_with(kRefusedPrefix);
  return {.status = 200, .body = PreviewPage(*shown, outcome, viewer), .type = kHtmlType};
}

ReviewReply ReviewConsole::DecideReevaluation(const ReviewRequest& request, const Caller& caller) {
  const bool api = request.routed.route == Route::kReviewApiPreviewDecide;
  const std::string& id = request.routed.preview;
  const auto inputs = Inputs(request, api);
  if (!inputs)
    return Refused(request, 400,
                   api ? "the body must be a JSON object" : "the form data cannot be read");
  const std::string reason = TextOf(*inputs, "reason");
  const bool apply = request.routed.action == "apply";
  const ReevaluationAnswer answer = apply ? reevaluations_.Apply(caller.organiser, id, reason)
                                          : reevaluations_.Discard(caller.organiser, id, reason);
  const bool done = answer.status == 200;
  if (api) {
    if (!done) return JsonAnswer(answer.status, {{"error", answer.message}});
    return JsonAnswer(200,
                      {{"id", id}, {"action", request.routed.action}, {"message", answer.message}});
  }
  if (!caller.session.empty())
    sessions_.SetOutcome(caller.session, (done ? "" : kRefusedPrefix) + answer.message);
  const bool kept = reevaluations_.Shown(id).has_value();
  return SeeOther(kept ? "/review/reevaluate/" + id : "/review/reevaluate");
}

}  // namespace hl::server
