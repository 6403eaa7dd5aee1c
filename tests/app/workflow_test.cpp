#include "app/workflow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "tests/app/run_fixture.h"
#include "toolkit/text/text.h"

namespace hl::app {
namespace {

using testing::EntryContent;
using testing::kCloseRequest;
using testing::kHyphenLine;
using testing::RunScript;
using testing::SplitCrLf;
using testing::TestApp;

std::vector<EntryContent> Entries(int count) {
  std::vector<EntryContent> entries;
  for (int k = 1; k <= count; ++k) {
    char folder[16];
    std::snprintf(folder, sizeof folder, "entry%03d", k);
    entries.push_back({folder, static_cast<int16_t>(5999 - 20 * k), "D" + std::string(folder + 5)});
  }
  return entries;
}

std::vector<int> Presses(int gadget, int count) { return std::vector<int>(count, gadget); }

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Names of the files (not folders) directly in `folder`.
std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    if (item.is_regular_file()) names.push_back(item.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

struct WalkCase {
  const char* name;
  int entries;
  bool cancel_chooser;
  std::vector<int32_t> counters;  // StepCounter before each press
};

TEST(Workflow, StepButtonWalksThroughTheEntriesAndQuits) {
  const std::vector<WalkCase> cases = {
      {"no subfolders", 0, false, {0, 1, state::kFinished}},
      {"cancelled chooser", 2, true, {0, 1, state::kFinished}},
      {"one subfolder finishes on the second press", 1, false, {0, 1, state::kFinished}},
      {"three subfolders", 3, false, {0, 1, 2, 3, state::kFinished}},
  };
  for (const WalkCase& c : cases) {
    SCOPED_TRACE(c.name);
    TestApp app;
    const std::string base = WriteCompetition(app.work, Entries(c.entries));
    app.ui.SetFolderChoice(c.cancel_chooser ? "" : base);

    std::vector<int32_t> counters;
    std::vector<std::string> captions;
    const int presses = RunScript(app, Presses(state::id::kStepButton, 10), [&](int) {
      counters.push_back(app.s.StepCounter);
      captions.push_back(app.ui.ReadText(state::id::kStepButton));
    });

    EXPECT_EQ(presses, static_cast<int>(c.counters.size()));
    EXPECT_TRUE(app.s.QuitRequested);
    EXPECT_EQ(counters, c.counters);
    EXPECT_EQ(captions.front(), "Load");
    EXPECT_EQ(captions.back(), "End");
    for (size_t i = 1; i + 1 < captions.size(); ++i) EXPECT_EQ(captions[i], "Next");
    EXPECT_EQ(app.ui.ReadText(state::id::kActionButton), "Google");
    EXPECT_TRUE(app.ui.IsEnabled(state::id::kStepButton));
  }
}

TEST(Workflow, LoadWithoutEntriesKeepsTheCarLinesOnlyInTheReport) {
  TestApp app;
  app.ui.SetFolderChoice(WriteCompetition(app.work, {}));
  RunScript(app, {state::id::kStepButton});

  const auto lines = app.LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.front(), " ");
  EXPECT_EQ(lines.back(), kHyphenLine);
  EXPECT_FALSE(Contains(lines, "Car: ref.car"));
  EXPECT_EQ(app.s.ReportText, std::string("\r\n\r\nCar: ref.car\r\n") + kHyphenLine + "\r\n");
}

TEST(Workflow, ReportTextJoinsTheLogOfEveryEntry) {
  TestApp app;
  app.ui.SetFolderChoice(WriteCompetition(app.work, Entries(2)));
  std::vector<std::string> logs, reports;
  RunScript(app, Presses(state::id::kStepButton, 3), [&](int) {
    logs.push_back(app.ui.ReadText(state::id::kLogBox));
    reports.push_back(app.s.ReportText);
  });
  ASSERT_EQ(logs.size(), 3u);

  EXPECT_EQ(reports[1], std::string("\r\n\r\nCar: ref.car\r\n") + kHyphenLine + "\r\n");
  for (const std::string& entry_log : {logs[1], logs[2]}) {
    const auto lines = SplitCrLf(entry_log);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), " ");
    EXPECT_EQ(lines.back(), kHyphenLine);
  }
  EXPECT_EQ(reports[2], reports[1] + logs[1]);
  // The ranking goes in front; the collected logs follow unchanged.
  const std::string collected = reports[2] + logs[2];
  ASSERT_GE(app.s.ReportText.size(), collected.size());
  EXPECT_EQ(app.s.ReportText.substr(app.s.ReportText.size() - collected.size()), collected);
  const auto report_lines = SplitCrLf(app.s.ReportText);
  EXPECT_EQ(std::count(report_lines.begin(), report_lines.end(), kHyphenLine + std::string(" ")),
            1);
}

TEST(Workflow, PressesQueuedDuringAStepAreDropped) {
  TestApp app;
  app.ui.SetFolderChoice(WriteCompetition(app.work, Entries(3)));
  bool pressed = false;
  app.ui.SetIdleHandler([&](ui::HeadlessUi& ui) {
    if (pressed) return;
    pressed = true;
    ui.Press(state::id::kStepButton);
    ui.Press(state::id::kStepButton);
  });
  RunEventLoop(app.s, app.ui);
  EXPECT_EQ(app.s.StepCounter, 1);
  EXPECT_EQ(app.ui.ReadText(state::id::kStepButton), "Next");
}

TEST(Workflow, ActionBeforeLoadLeavesTheLogEmpty) {
  TestApp app;
  RunScript(app, {state::id::kActionButton, state::id::kActionButton});
  EXPECT_EQ(app.ui.ReadText(state::id::kLogBox), "");
  EXPECT_EQ(app.s.StepCounter, 0);
  EXPECT_EQ(app.ui.ReadText(state::id::kActionButton), "Strafe");
}

TEST(Workflow, PenaltyReachesTheRankingAndLeavesTheOtherLinesAlone) {
  TestApp app;
  const std::string size = text::FormatInteger(testing::FixedPartSize());
  EntryContent entry{"entry001", static_cast<int16_t>(testing::FixedPartSize()), "Car", "Car"};
  app.ui.SetFolderChoice(WriteCompetition(app.work, {entry}));

  std::vector<std::string> lines;
  RunScript(app, {state::id::kStepButton, state::id::kActionButton, state::id::kStepButton},
            [&](int step) {
              if (step == 2) lines = app.LogLines();
            });
  EXPECT_TRUE(Contains(lines, "lap.trk  (fest): " + size + " Bytes"));
  EXPECT_TRUE(Contains(lines, "1.: 6000 Car ##"));
  EXPECT_TRUE(Contains(lines, "Car 1:Car ok"));
  EXPECT_EQ(app.s.RankingList.Items(), std::vector<std::string>{"6000 Car ##"});
}

struct TypedPenalty {
  const char* typed;
  bool accepted;
  const char* first_place;  // of the ranking after the run
};

// Only a whole number of 1 to 5 digits replaces the time. Anything else used
// to rank as 0 and win; now the log stays as it was and the progress view
// says why.
TEST(Workflow, StrafeTakesOnlyAWholeNumberOfUpToFiveDigits) {
  const std::vector<TypedPenalty> cases = {
      {"", false, "1 - 5959 D002"},         {"abc", false, "1 - 5959 D002"},
      {"123456", false, "1 - 5959 D002"},   {"0", true, "1 - 0 D002 ##"},
      {"00000", true, "1 - 00000 D002 ##"},
  };
  for (const TypedPenalty& c : cases) {
    SCOPED_TRACE(std::string("typed \"") + c.typed + "\"");
    TestApp app;
    app.ui.SetFolderChoice(WriteCompetition(app.work, Entries(2)));
    std::string log_before, log_after;
    bool refusal_shown = false;
    RunScript(
        app,
        {state::id::kStepButton, state::id::kStepButton, state::id::kActionButton,
         state::id::kStepButton},
        [&](int step) {
          if (step == 2) {
            log_before = app.ui.ReadText(state::id::kLogBox);
            app.ui.TypeText(state::id::kPenaltyField, c.typed);
          }
          if (step == 3) {
            log_after = app.ui.ReadText(state::id::kLogBox);
            const raster::Image* shown = app.s.Images.Get(state::id::kProgressImage);
            refusal_shown =
                shown != nullptr &&
                shown->Pixels() ==
                    testing::ExpectedProgress(app.s, 2, 2, "2 / 2   Strafe: keine Zeit").Pixels();
          }
        });
    EXPECT_EQ(log_after == log_before, !c.accepted);
    EXPECT_EQ(refusal_shown, !c.accepted);
    if (c.accepted) {
      EXPECT_TRUE(Contains(SplitCrLf(log_after), std::string("1.: ") + c.typed + " D002 ##"));
    }
    EXPECT_EQ(SplitCrLf(app.s.ReportText).front(), c.first_place);
  }
}

struct ExportCase {
  const char* name;
  bool with_template;
};

TEST(Workflow, ActionAfterFinishingExportsThenCopies) {
  for (const ExportCase c : {ExportCase{"template", true}, ExportCase{"no template", false}}) {
    SCOPED_TRACE(c.name);
    TestApp app;
    if (c.with_template) app.work.WriteFile("google_charts.txt", "cht=bhs\r\nchs=450x\r\n");
    app.ui.SetFolderChoice(WriteCompetition(app.work, Entries(1)));
    std::vector<std::string> captions;
    RunScript(app,
              {state::id::kStepButton, state::id::kStepButton, state::id::kActionButton,
               state::id::kActionButton, state::id::kActionButton},
              [&](int step) {
                if (step >= 2) captions.push_back(app.ui.ReadText(state::id::kActionButton));
              });
    EXPECT_EQ(captions, (std::vector<std::string>{"Google", "Copy", "Copy"}));
    EXPECT_EQ(app.ui.ReadText(state::id::kActionButton), "Copy");

    if (c.with_template) {
      const std::string log = app.ui.ReadText(state::id::kLogBox);
      EXPECT_EQ(app.s.GoogleText, log);
      std::string joined;
      for (const std::string& line : SplitCrLf(log)) joined += line;
      EXPECT_EQ(app.ui.Clipboard(), joined);
      EXPECT_EQ(app.ui.Clipboard().rfind("cht=bhschs=450x90", 0), 0u);
      EXPECT_EQ(app.ui.ReadText(state::id::kPenaltyField),
                text::FormatInteger(log.size()) + " Byte");
    } else {
      EXPECT_EQ(app.s.GoogleText, "");
      EXPECT_EQ(app.ui.Clipboard(), "");
      EXPECT_EQ(app.ui.ReadText(state::id::kPenaltyField), "6000");
      // Every press says why nothing came, over the full bar of the finished run.
      const raster::Image* shown = app.s.Images.Get(state::id::kProgressImage);
      ASSERT_NE(shown, nullptr);
      EXPECT_TRUE(shown->Pixels() ==
                  testing::ExpectedProgress(app.s, 1, 1, "google_charts.txt fehlt").Pixels());
    }
  }
}

TEST(Workflow, CloseEndsTheRunInEveryStateAndWritesOnlyWhenFinished) {
  for (int presses = 0; presses <= 3; ++presses) {
    SCOPED_TRACE("close after " + std::to_string(presses) + " presses");
    TestApp app;
    const std::string base = WriteCompetition(app.work, Entries(2));
    app.ui.SetFolderChoice(base);
    std::vector<int> script = Presses(state::id::kStepButton, presses);
    script.push_back(kCloseRequest);
    script.push_back(state::id::kStepButton);

    EXPECT_EQ(RunScript(app, script), presses + 1);
    EXPECT_FALSE(app.s.QuitRequested);
    const std::vector<std::string> written =
        presses == 3 ? std::vector<std::string>{"lap.png", "lap.txt", "ref.car"}
                     : std::vector<std::string>{"ref.car"};
    EXPECT_EQ(FilesIn(base), written);
  }
}

TEST(Workflow, EvaluatesAndRanksAHundredAndFiftyEntries) {
  constexpr int kEntries = 150;
  TestApp app;
  const std::vector<EntryContent> entries = Entries(kEntries);
  app.ui.SetFolderChoice(WriteCompetition(app.work, entries));

  std::vector<int32_t> counters;
  std::vector<std::string> current;
  bool last_progress_matches = false;
  const int presses = RunScript(app, Presses(state::id::kStepButton, kEntries + 5), [&](int step) {
    counters.push_back(app.s.StepCounter);
    current.push_back(app.s.FolderList.Current());
    if (step == kEntries) {
      const raster::Image expected =
          testing::ExpectedProgress(app.s, kEntries, kEntries, "150 / 150   entry150");
      const raster::Image* shown = app.s.Images.Get(state::id::kProgressImage);
      last_progress_matches = shown != nullptr && shown->Pixels() == expected.Pixels();
    }
  });

  EXPECT_EQ(presses, kEntries + 2);
  EXPECT_TRUE(app.s.QuitRequested);
  for (int k = 1; k <= kEntries; ++k) {
    EXPECT_EQ(counters[static_cast<size_t>(k)], k);
    EXPECT_EQ(current[static_cast<size_t>(k)], entries[static_cast<size_t>(k - 1)].folder);
  }
  EXPECT_EQ(counters.back(), state::kFinished);
  EXPECT_TRUE(last_progress_matches);

  EXPECT_EQ(app.s.RankingList.Count(), kEntries);
  const auto report = SplitCrLf(app.s.ReportText);
  ASSERT_GE(report.size(), static_cast<size_t>(kEntries));
  EXPECT_EQ(report[0], "1 - 2999 D150");
  EXPECT_EQ(report[1], "2 - 3019 D149");
  EXPECT_EQ(report[kEntries - 1], "150 - 5979 D001");
}

}  // namespace
}  // namespace hl::app
