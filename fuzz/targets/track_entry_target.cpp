#include <algorithm>
#include <span>
#include <string>

#include "audit/audit.h"
#include "fuzz/targets/fuzz_app.h"
#include "fuzz/targets/fuzz_targets.h"
#include "fuzz/targets/log_lines.h"
#include "trackfile/ghost.h"
#include "trackfile/header.h"
#include "trackfile/objects.h"
#include "trackfile/picture.h"
#include "workflow/penalty.h"

namespace hl::fuzzing {

namespace {

constexpr int kLog = state::id::kLogBox;
constexpr int kCarBlockSize = 1344;

size_t CarLength(std::span<const uint8_t> input) {
  if (input.size() < 2) return 0;
  const size_t stated = input[0] | (size_t{input[1]} << 8);
  return std::min(stated, input.size() - 2);
}

// What any track file and car file must give: a car difference lies inside
// the block, names a byte that really differs and the entry's byte as the
// record holds it; every finding has a message.
void CheckFindings(const record::EntryRecord& entry) {
  for (const record::Finding& finding : entry.findings) {
    Require(!finding.message.empty() && finding.message.find('\n') == std::string::npos,
            "a finding has a one-line message");
    if (finding.code != "car-modified") continue;
    Require(!entry.track->car_ok, "a car the check found is not reported as modified");
    int previous = -1;
    for (const auto& difference : finding.fields["differences"]) {
      const int offset = difference["offset"];
      Require(offset > previous && offset < kCarBlockSize,
              "car differences lie in the block, in order");
      Require(difference["reference"] != difference["entry"], "a listed car byte differs");
      const auto block = entry.evidence.car_block.Items();
      Require(static_cast<size_t>(offset) < block.size(),
              "a car difference lies in the entry's block");
      Require(difference["entry"] == block[static_cast<size_t>(offset)],
              "a car difference shows the entry's byte");
      previous = offset;
    }
  }
}

void Audit(state::AppState& s) {
  const auto period = audit::ParsePeriod("2004-01-01..2004-12-31");
  Require(period.has_value(), "the fuzz period parses");
  audit::AuditCompetition(s.Record, s.LoadedCar().Bytes(), {.period = *period});
  CheckFindings(s.Record.entries.front());
}

}  // namespace

void FuzzTrackEntry(const uint8_t* data, size_t size) {
  FuzzApp& fuzz = FuzzApp::Fresh();
  state::AppState& s = fuzz.State();
  ui::HeadlessUi& ui = fuzz.Ui();
  const std::span<const uint8_t> input(data, size);
  const size_t car_length = CarLength(input);
  const auto car = input.subspan(std::min<size_t>(2, size), car_length);
  const auto track = input.subspan(std::min<size_t>(2, size) + car_length);

  s.StepCounter = 1;
  s.CarSize = fuzz.LoadIntoCarArea(car);
  s.CarFound = true;
  s.EntryDir = fuzz.Folder() + "entry/";
  s.TrackFileName = "fuzz.trk";
  s.FilePath = s.EntryDir + s.TrackFileName;
  s.DataSize = fuzz.LoadIntoFileRegion(track);
  s.TrackFileLoaded = true;
  s.Record.car_file = "fuzz.car";
  record::EntryRecord& entry = s.Record.entries.emplace_back();
  entry.folder = "entry";
  entry.track_file = s.TrackFileName;

  trackfile::DecodeTrackHeader(s, ui);
  Audit(s);
  if (s.TrackFileInvalid) {
    Require(CountResultLines(ui.ReadText(kLog)) == 0, "a rejected track file logs no result");
    return;
  }
  trackfile::DrawTrackPicture(s, ui);
  trackfile::DrawGrid(s, ui);
  trackfile::DrawTrackObjects(s, ui);
  trackfile::DrawGhost(s, ui);
  Require(CountResultLines(ui.ReadText(kLog)) == 1, "an accepted track file logs one result");
  const raster::Image* picture = s.Images.Get(state::id::kLineImage);
  Require(picture && picture->Width() == 512 && picture->Height() == 560,
          "an accepted track file gets its 512 x 560 picture");

  workflow::ApplyPenalty(s, ui);
  Require(CountResultLines(ui.ReadText(kLog)) == 1, "a penalty keeps the one result line");
}

}  // namespace hl::fuzzing
