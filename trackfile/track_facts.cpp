#include "trackfile/track_facts.h"

#include "record/rules.h"
#include "toolkit/files/sha256.h"
#include "toolkit/text/text.h"
#include "toolkit/ui/editor_lines.h"
#include "trackfile/ghost_samples.h"
#include "trackfile/track_layout.h"

namespace hl::trackfile {
namespace {

constexpr int64_t kDateAt = 9513;  // relative to the record block
constexpr int64_t kDateSize = 8;   // year, month, (unused), day: words

std::optional<record::RecordDate> ReadRecordDate(const files::ByteView& file, int64_t r) {
  if (!file.Contains(r + kDateAt, kDateSize)) return std::nullopt;
  return record::RecordDate{.year = *file.GetI16(r + kDateAt),
                            .month = *file.GetI16(r + kDateAt + 2),
                            .day = *file.GetI16(r + kDateAt + 6)};
}

record::Evidence TrackEvidence(state::AppState& s, const files::ByteView& file) {
  record::Evidence evidence;
  if (s.Record.entries.empty()) return evidence;
  evidence = s.Record.entries.back().evidence;  // keeps what the file step found
  // The picture's pairs end where the grid begins.
  const auto picture = file.Slice(layout::kPictureAt, s.GridBlock - layout::kGridAfterPairs);
  if (picture) evidence.track_picture = files::Sha256(*picture);
  const auto car = file.Slice(s.RecordBlock + layout::SlotCarAt(1), layout::kCarBlockSize);
  if (car) evidence.car_block = s.SharedEvidence.car_blocks.Share(*car);
  const auto samples = VisitedGhostSamples(file, s.GhostBlock, s.GhostCount);
  // A ghost cut off before its first sample holds nothing to compare: its
  // digest would make every such entry a copy of the others.
  if (file.GetI16(s.GhostBlock).value_or(0) > 0 && !samples.empty()) {
    evidence.ghost = files::Sha256(samples);
  }
  // No ghost is drawn for a lap without a time, so there are no points to check.
  if (s.Slot1Time < record::kNoTime) {
    evidence.ghost_points =
        s.SharedEvidence.ghosts.Share(PlaceGhost(samples, GhostScaleFor(s.TrackScale)));
  }
  return evidence;
}

}  // namespace

void RecordAcceptedTrack(state::AppState& s, const files::ByteView& file, bool car_ok,
                         bool cut_off) {
  record::EntryRecord* entry = s.Record.Current();
  if (entry == nullptr) return;
  entry->track_verdict = cut_off ? record::TrackVerdict::CutOff : record::TrackVerdict::Accepted;
  entry->evidence = TrackEvidence(s, file);
  entry->track = record::TrackFacts{
      .fixed_size = static_cast<int32_t>(s.RecordBlock),
      .objects = s.ObjectCount,
      .time = s.Slot1Time,
      .driver = s.Slot1Driver,
      .car = s.SlotCarNames[1],
      .car_ok = car_ok,
      .ghost_samples = s.GhostCount,
      .record_date = ReadRecordDate(file, s.RecordBlock),
      // As the log shows the line: a break inside the name became a space.
      .result = ui::SingleLine(text::FormatInteger(s.Slot1Time) + " " + s.Slot1Driver),
  };
}

void RecordRejectedTrack(state::AppState& s, record::TrackVerdict verdict) {
  if (record::EntryRecord* entry = s.Record.Current()) entry->track_verdict = verdict;
}

}  // namespace hl::trackfile
