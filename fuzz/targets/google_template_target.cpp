#include <span>
#include <string>

#include "app/clipboard_copy.h"
#include "fuzz/targets/fuzz_app.h"
#include "fuzz/targets/fuzz_targets.h"
#include "results/google_export.h"

namespace hl::fuzzing {

void FuzzGoogleTemplate(const uint8_t* data, size_t size) {
  FuzzApp& fuzz = FuzzApp::Fresh();
  state::AppState& s = fuzz.State();
  ui::HeadlessUi& ui = fuzz.Ui();
  fuzz.WriteFile("google_charts.txt", std::span<const uint8_t>(data, size));

  // A finished run of three entries, as the chart leaves it: ascending, with
  // one entry that has no time.
  s.StepCounter = state::kFinished;
  for (const char* entry : {"0987 Bert", "5987 Anna", "6012 Cleo"}) s.RankingList.Append(entry);
  s.ChartMin = 900;
  s.ChartMax = 6000;

  results::ExportGoogleChart(s, ui);
  Require(s.GoogleText.find("\r\n&chxt=x,y\r\n") != std::string::npos,
          "a readable template always gets the generated lines");
  Require(s.GoogleText.ends_with("|1:|Cleo (60.12)|Anna (59.87)|Bert (9.87)"),
          "the row labels end the export, slowest first");
  // "Copy", the press that follows the export.
  app::CopyResults(s, ui);
}

}  // namespace hl::fuzzing
