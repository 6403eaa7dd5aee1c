#include "server/reevaluation_pages.h"

#include "publish/lap_time_text.h"
#include "publish/page_render.h"
#include "server/page_templates.h"

namespace hl::server {
namespace {

using Json = nlohmann::ordered_json;
using publish::PageData;
using publish::PageList;

std::string PlaceCell(const Json& side) {
  const Json& place = At(side, "place");
  return place.is_number() ? place.dump() : "not ranked";
}

std::string TimeCell(const Json& side) {
  const Json& time = At(side, "time");
  return time.is_number_integer() ? publish::LapTimeText(time.get<int64_t>()) : "no time";
}

std::string PenaltyCell(const Json& side) {
  const Json& time = At(At(side, "penalty"), "time");
  return time.is_number() ? time.dump() : "none";
}

std::string FindingsCell(const Json& side) {
  const Json& findings = At(side, "findings");
  if (!findings.is_array() || findings.empty()) return "none";
  std::string codes;
  for (const Json& finding : findings) {
    const Json& code = At(finding, "code");
    codes += (codes.empty() ? "" : ", ") + (code.is_string() ? code.get<std::string>() : "?");
  }
  return codes;
}

std::string AcceptedCell(const Json& side) {
  const Json& accepted = At(side, "track_valid");
  return accepted.is_boolean() && accepted.get<bool>() ? "yes" : "no";
}

PageData ChangeData(const Json& change) {
  const Json& old_side = At(change, "old");
  const Json& new_side = At(change, "new");
  PageList rows;
  const auto row = [&](const char* label, std::string (*cell)(const Json&)) {
    PageData data;
    data.set("label", std::string(label));
    data.set("old", old_side.is_object() ? cell(old_side) : "not there");
    data.set("new", new_side.is_object() ? cell(new_side) : "not there");
    rows.push_back(data);
  };
  row("Place", PlaceCell);
  row("Lap time", TimeCell);
  row("Penalty", PenaltyCell);
  row("Findings", FindingsCell);
  row("Track accepted", AcceptedCell);
  PageData data;
  const Json& entry = At(change, "entry");
  data.set("entry", entry.is_string() ? entry.get<std::string>() : "");
  data.set("rows", rows);
  return data;
}

void SetOutcome(PageData& values, const StepOutcome& outcome) {
  if (outcome.text.empty()) return;
  values.set("outcome", outcome.text);
  values.set("outcome_class", outcome.failed ? "bad" : "facts");
}

}  // namespace

std::string ReevaluateFormPage(const std::string& evaluation, const StepOutcome& outcome,
                               const ReviewViewer& viewer) {
  PageData values = Titled("Re-evaluate", viewer);
  SetOutcome(values, outcome);
  values.set("evaluation", evaluation);
  return publish::RenderPage(embedded::kReviewReevaluateTemplate, std::move(values));
}

std::string PreviewPage(const Json& shown, const StepOutcome& outcome, const ReviewViewer& viewer) {
  PageData values = Titled("Re-evaluation preview", viewer);
  SetOutcome(values, outcome);
  const Json& changes = At(shown, "changes");
  PageList list;
  if (changes.is_array()) {
    for (const Json& change : changes) list.push_back(ChangeData(change));
  }
  values.set("summary", list.empty()
                            ? std::string("Nothing would change.")
                            : std::to_string(list.size()) +
                                  (list.size() == 1 ? " entry" : " entries") + " would change.");
  values.set("changes", list);
  const Json& id = At(shown, "id");
  values.set("id", id.is_string() ? id.get<std::string>() : "");
  const Json& evaluation = At(shown, "evaluation");
  if (evaluation.is_string()) values.set("evaluation", evaluation.get<std::string>());
  return publish::RenderPage(embedded::kReviewPreviewTemplate, std::move(values));
}

}  // namespace hl::server
