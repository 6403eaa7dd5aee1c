// The window keeps what the organiser decides in the competition's
// evaluation.toml: its penalties are applied as a batch run applies them,
// penalties given with "Strafe" land in it with reason and time, a changed
// one keeps the decision before it, and a file that does not parse is left
// alone. Beside the main window the evidence window shows the findings and
// publishes the results page.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "app/decisions/decisions.h"
#include "app/decisions/window_loop.h"
#include "app/evidence_window/evidence_window.h"
#include "evaluation/evaluation_file.h"
#include "tests/e2e/batch_runner.h"
#include "toolkit/ui/headless_ui.h"
#include "toolkit/ui/qt/qt_ui.h"
#include "workflow/startup.h"
#include "workflow/steps.h"

namespace hl::testing {
namespace {

namespace fs = std::filesystem;
namespace id = state::id;

constexpr const char* kNow = "2026-12-08T17:30:05Z";

std::chrono::system_clock::time_point Now() {
  return std::chrono::sys_days(std::chrono::year{2026} / 12 / 8) + std::chrono::hours(17) +
         std::chrono::minutes(30) + std::chrono::seconds(5);
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The organiser at the window, pressing its buttons.
template <typename Ui>
struct Organiser {
  template <typename... UiArguments>
  explicit Organiser(const std::string& base, UiArguments&&... arguments)
      : ui(std::forward<UiArguments>(arguments)...) {
    EXPECT_TRUE(workflow::InitState(s).has_value());
    workflow::OpenMainWindow(s, ui);
    if constexpr (std::is_same_v<Ui, ui::HeadlessUi>) {
      ui.SetFolderChoice(base);
    } else {
      ui.PresetFolderChoice(base);
    }
  }
  ~Organiser() { workflow::ShutDown(s, ui); }

  void Step() {
    const int32_t before = s.StepCounter;
    workflow::TakeStep(s, ui);
    decisions.StepTaken(s, ui, before);
  }
  void ShowEntry(const std::string& folder) {
    while (s.StepCounter != state::kFinished && decisions.View().entry != folder) Step();
  }
  void Finish() {
    while (s.StepCounter != state::kFinished) Step();
  }
  void Strafe(const std::string& time, const std::string& reason) {
    ui.SetText(id::kPenaltyField, time);
    decisions.SetReason(reason);
    decisions.Strafe(s, ui);
  }
  std::string ResultLine() {
    const std::string log = ui.ReadText(id::kLogBox);
    const size_t start = log.find("1.: ");
    return log.substr(start, log.find("\r\n", start) - start);
  }

  Ui ui;
  state::AppState s;
  decisions::Decisions decisions{Now, "steward"};
};

using HeadlessOrganiser = Organiser<ui::HeadlessUi>;

TEST(WindowDecisions, SavedPenaltiesGiveTheBatchReportByteForByte) {
  const SampleSetup sample;
  const WorkingFolder in(sample.work);
  WriteText(sample.base + "evaluation.toml",
            "# kept by the window\n[[penalty]]\nentry = \"hugo\"\ntime = 6000\n"
            "reason = \"no screen shot\"\n\n[[penalty]]\nentry = \"bert\"\ntime = 123\n");
  {
    HeadlessOrganiser window(sample.base);
    window.Finish();
  }
  const std::string window_report = ReadText(sample.base + "eichwald.txt");
  const std::string window_chart = ReadText(sample.base + "eichwald.png");
  EXPECT_NE(window_report.find("6000 Hugo ##"), std::string::npos);
  EXPECT_NE(window_report.find("0123 Bert ##"), std::string::npos);

  fs::remove(sample.base + "eichwald.txt");
  const BatchResult batch = RunBatch(sample.work, {"--batch", sample.base});
  ASSERT_EQ(batch.status, 0) << batch.err;
  EXPECT_EQ(ReadText(sample.base + "eichwald.txt"), window_report);
  EXPECT_EQ(ReadText(sample.base + "eichwald.png"), window_chart);

  ASSERT_EQ(RunBatch(sample.work, {"--batch", sample.base, "--no-evaluation"}).status, 0);
  EXPECT_EQ(ReadText(sample.base + "eichwald.txt").find("Hugo ##"), std::string::npos);
}

TEST(WindowDecisions, StrafeIsKeptWithReasonAndTheDecisionItReplaces) {
  const SampleSetup sample;
  const WorkingFolder in(sample.work);
  const std::string file = sample.base + "evaluation.toml";
  {
    HeadlessOrganiser window(sample.base);
    window.ShowEntry("bert");
    window.Strafe("6000", "modified car");
    EXPECT_EQ(ReadText(file), std::string("[[penalty]]\nentry = 'bert'\ntime = 6000\n"
                                          "reason = 'modified car'\ndecided = ") +
                                  kNow + "\nby = 'steward'\n");
    window.Strafe("5000", "second look");
    EXPECT_EQ(window.ResultLine(), "1.: 5000 Bert ##");  // the latest decision, once
    window.Finish();
    window.decisions.Publish(window.s, sample.base + "page/");  // would become an entry
    EXPECT_TRUE(window.decisions.View().status.starts_with("Results page not written"));
    EXPECT_FALSE(fs::exists(sample.base + "page"));
  }
  const auto saved = evaluation::ReadEvaluationFile(file, sample.base, false);
  ASSERT_TRUE(saved) << saved.error().Describe();
  ASSERT_EQ(saved->penalties.size(), 1u);
  EXPECT_EQ(saved->penalties[0].time, "5000");
  EXPECT_EQ(saved->penalties[0].reason, "second look");
  EXPECT_EQ(saved->penalties[0].by, "steward");
  ASSERT_EQ(saved->penalties[0].earlier.size(), 1u);
  EXPECT_EQ(saved->penalties[0].earlier[0].reason, "modified car");
  const std::string window_report = ReadText(sample.base + "eichwald.txt");

  // Opened again, the window applies the decision and shows both.
  HeadlessOrganiser again(sample.base);
  again.ShowEntry("bert");
  EXPECT_EQ(again.ResultLine(), "1.: 5000 Bert ##");
  EXPECT_EQ(again.decisions.View().reason, "second look");
  EXPECT_EQ(
      again.decisions.View().penalty,
      (std::vector<std::string>{"Penalty: 5000 (second look), decided " + std::string(kNow),
                                "    before: 6000 (modified car), decided " + std::string(kNow)}));
  again.Finish();
  EXPECT_EQ(ReadText(sample.base + "eichwald.txt"), window_report);
}

TEST(WindowDecisions, AFileThatDoesNotParseIsLeftAloneAndNamed) {
  const SampleSetup sample;
  const WorkingFolder in(sample.work);
  const std::string broken = "[[penalty]\nentry = \"bert\"\n";
  const std::string file = sample.base + "evaluation.toml";
  WriteText(file, broken);
  HeadlessOrganiser window(sample.base);
  window.ShowEntry("bert");
  EXPECT_NE(window.decisions.View().status.find("not valid TOML"), std::string::npos);
  window.Strafe("6000", "modified car");
  EXPECT_EQ(window.ResultLine(), "1.: 6000 Bert ##");
  const std::string& status = window.decisions.View().status;
  EXPECT_TRUE(status.starts_with("Penalty of bert not saved: " + file)) << status;
  EXPECT_EQ(ReadText(file), broken);
}

QString FindingsText(QWidget* window) {
  return window->findChild<QPlainTextEdit*>()->toPlainText();
}

QPushButton* Button(QWidget* window, const QString& starting) {
  for (QPushButton* button : window->findChildren<QPushButton*>()) {
    if (button->text().remove('&').startsWith(starting)) return button;
  }
  return nullptr;
}

TEST(EvidenceWindow, ShowsTheFindingsAndPublishesThePage) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "hotlap-eval";
  static char* argv[] = {name, nullptr};
  const SampleSetup sample;
  const WorkingFolder in(sample.work);
  const std::string published = sample.work + "page/";
  Organiser<ui::QtUi> window(sample.base, argc, argv);
  evidence::EvidenceWindow evidence(window.decisions, window.s,
                                    [&](const std::string&) { return published; });
  const auto show = [&](const std::string& folder) {
    window.ShowEntry(folder);
    evidence.Follow();
    return FindingsText(evidence.WidgetForTest()).toStdString();
  };

  // Copies need every entry: they join the evidence once the survey is done.
  fs::copy(sample.base + "anna", sample.base + "anna-copy", fs::copy_options::recursive);
  show("anna-copy");
  window.decisions.WaitForSurvey();
  evidence.Follow();
  EXPECT_TRUE(FindingsText(evidence.WidgetForTest())
                  .contains("Duplicate track file: the track file is byte for byte that of anna"));

  const std::string bert = show("bert");
  QWidget* shown = evidence.WidgetForTest();
  EXPECT_EQ(shown->windowTitle(), "Evidence");
  EXPECT_GE(shown->geometry().left(), 5 + 1010);
  EXPECT_LE(shown->frameGeometry().right(), 1920);
  QWidget* first = shown->nextInFocusChain();
  while ((first->focusPolicy() & Qt::TabFocus) == 0) first = first->nextInFocusChain();
  EXPECT_NE(qobject_cast<QLineEdit*>(first), nullptr);  // the reason field
  EXPECT_NE(bert.find("Car modified: 1 byte differs from the reference at offset 700"),
            std::string::npos)
      << bert;
  EXPECT_NE(bert.find("    offset 700: "), std::string::npos) << bert;
  EXPECT_NE(show("dora").find("No screen: no screen file in the folder"), std::string::npos);
  EXPECT_NE(show("emil").find("No track: no track file in the folder"), std::string::npos);

  window.ShowEntry("hugo");
  window.Strafe("6000", "late <lap>");
  window.Finish();
  evidence.Follow();
  QPushButton* publish = Button(shown, "Publish results page");
  ASSERT_NE(publish, nullptr);
  ASSERT_TRUE(publish->isEnabled());
  publish->click();
  const std::string& status = window.decisions.View().status;
  ASSERT_TRUE(status.starts_with("Results page written to " + published + "index.html")) << status;
  const auto json = nlohmann::json::parse(ReadText(published + "results.json"));
  for (const auto& entry : json["entries"]) {
    for (const char* kind : {"track", "screen"}) {
      const auto& path = entry["pictures"][kind];
      if (!path.is_null()) {
        EXPECT_TRUE(fs::is_regular_file(published + path.get<std::string>()));
      }
    }
  }
  EXPECT_EQ(ReadText(published + "chart.png"), ReadText(sample.base + "eichwald.png"));
  const std::string page = ReadText(published + "index.html");
  EXPECT_NE(page.find("late &lt;lap&gt;"), std::string::npos);

  Button(shown, "Record fingerprints")->click();
  const auto saved =
      evaluation::ReadEvaluationFile(sample.base + "evaluation.toml", sample.base, false);
  ASSERT_TRUE(saved) << saved.error().Describe();
  EXPECT_EQ(saved->penalties.at(0).reason, "late <lap>");
  EXPECT_TRUE(saved->fingerprints && saved->fingerprints->contains("reference.car"));
}

}  // namespace
}  // namespace hl::testing
