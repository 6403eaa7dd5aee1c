#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/targets/fuzz_app.h"
#include "fuzz/targets/fuzz_targets.h"
#include "results/chart.h"
#include "results/ranking.h"

namespace hl::fuzzing {

namespace {

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

void FuzzRanking(const uint8_t* data, size_t size) {
  FuzzApp& fuzz = FuzzApp::Fresh();
  state::AppState& s = fuzz.State();
  ui::HeadlessUi& ui = fuzz.Ui();

  // The report is collected from log lines, and no text of the tool holds a
  // zero byte (file fields end at one, names cannot contain one).
  s.ReportText.assign(reinterpret_cast<const char*>(data), size);
  std::erase(s.ReportText, '\0');
  const bool has_text = !s.ReportText.empty();
  s.BaseDir = fuzz.Folder();
  s.TrackBaseName = "fuzz";
  s.StepCounter = state::kFinished;

  results::RankResults(s, ui);
  Require(s.ReportSaved == has_text, "a report is written exactly when there is text");
  if (s.ReportSaved) {
    Require(ReadWholeFile(s.BaseDir + "fuzz.txt") == s.ReportText,
            "the written report holds exactly the report text");
  }
  results::DrawChart(s, ui);
}

}  // namespace hl::fuzzing
