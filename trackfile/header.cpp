#include "trackfile/header.h"

#include <optional>
#include <string>

#include "toolkit/files/paths.h"
#include "toolkit/text/text.h"
#include "trackfile/car_check.h"
#include "trackfile/track_facts.h"
#include "trackfile/track_layout.h"

namespace hl::trackfile {
namespace {

using files::ByteView;

void Log(ui::Ui& ui, const std::string& line) { ui.AppendLine(state::id::kLogBox, line); }

bool IsTrackFile(const ByteView& file) {
  return file.GetI16(0) == layout::kVersion &&
         file.GetTextAt(layout::kMagicAt, static_cast<int64_t>(layout::kMagic.size())) ==
             layout::kMagic;
}

std::string TextField(const ByteView& file, int64_t position) {
  return text::Cp1252ToUtf8(text::TrimSpaces(file.GetTextAt(position, layout::kTextFieldWidth)));
}

// Where the header says the blocks lie; only the record block up to slot
// 1's car is known to lie inside the data.
struct Blocks {
  int64_t record = 0;
  int64_t grid = 0;
  int64_t objects = 0;  // the object count, then the objects
  int64_t ghost = 0;    // the ghost's word count, then its samples
  int16_t object_count = 0;
  int16_t ghost_count = 0;
};

// NotATrack or Damaged, or nullopt when the result part lies inside the data.
std::optional<record::TrackVerdict> ResultRejection(const ByteView& file) {
  if (!IsTrackFile(file)) return record::TrackVerdict::NotATrack;
  const auto fixed_size = file.GetI32(layout::kFixedSizeAt);
  const auto pair_count = file.GetI32(layout::kPairCountAt);
  if (!fixed_size || !pair_count || !file.Contains(*fixed_size, layout::kResultPartSize))
    return record::TrackVerdict::Damaged;
  return std::nullopt;
}

// For a file ResultRejection passes.
Blocks LocateBlocks(const ByteView& file) {
  // Positions are computed 64 bits wide so that no N can wrap them around.
  const int64_t picture_bytes = 2 * static_cast<int64_t>(*file.GetI32(layout::kPairCountAt));
  Blocks b;
  b.record = *file.GetI32(layout::kFixedSizeAt);
  b.grid = layout::kGridAfterPairs + picture_bytes;
  b.objects = layout::kObjectCountAfterPairs + picture_bytes;
  b.ghost = b.record + layout::kGhostWordAt;
  b.object_count =
      layout::BlocksAfterHeader(b.grid) ? file.GetI16(b.objects).value_or(0) : int16_t{0};
  b.ghost_count = static_cast<int16_t>(file.GetI16(b.ghost).value_or(0) / 2);
  return b;
}

// True when a block the header points to lies (partly) outside the data.
bool BlocksCutOff(const Blocks& b, const ByteView& file) {
  // The grid lies right before the object count, so this covers both.
  if (!layout::BlocksAfterHeader(b.grid) || !file.Contains(b.objects, 2)) return true;
  if (b.object_count > 0 &&
      !file.Contains(b.objects + 2, layout::kObjectRecordSize * b.object_count)) {
    return true;
  }
  if (!file.Contains(b.ghost, 2)) return true;
  return b.ghost_count > 0 && !file.Contains(b.ghost + 2, layout::kGhostSampleSize * b.ghost_count);
}

// Stores the header values; everything beyond the result part is read where
// it can be.
void ReadHeader(state::AppState& s, const ByteView& file, const Blocks& b) {
  const int64_t r = b.record;
  s.TrackScale = file.GetU8(layout::kScaleAt).value_or(0);
  s.GridThreshold = file.GetU8(layout::kGridThresholdAt).value_or(0);
  s.RecordBlock = r;
  s.GridBlock = b.grid;
  s.ObjectBlock = b.objects;
  s.GhostBlock = b.ghost;
  s.ObjectCount = b.object_count;
  s.Slot0Time = *file.GetI16(r + layout::SlotTimeAt(0));
  s.Slot1Time = *file.GetI16(r + layout::SlotTimeAt(1));
  s.Slot0Driver = TextField(file, r + layout::SlotDriverAt(0));
  s.Slot1Driver = TextField(file, r + layout::SlotDriverAt(1));
  s.SlotCarNames[0] = TextField(file, r + layout::SlotCarAt(0));
  s.SlotCarNames[1] = TextField(file, r + layout::SlotCarAt(1));
  s.GhostCount = b.ghost_count;
}

bool SlotOneCarIsReferenceCar(const state::AppState& s, const ByteView& file) {
  if (!s.CarFound) return false;
  const auto block = file.Slice(s.RecordBlock + layout::SlotCarAt(1), layout::kCarBlockSize);
  return block && CarFileHoldsBlock(*block, s.LoadedCar());
}

void LogHeader(const state::AppState& s, ui::Ui& ui, const std::string& file_name, bool car_ok) {
  Log(ui, file_name + "  (fest): " + text::FormatInteger(s.RecordBlock) + " Bytes");
  Log(ui, "# Objecte: " + text::FormatInteger(s.ObjectCount));
  Log(ui, " ");
  Log(ui, "1.: " + text::FormatInteger(s.Slot1Time) + " " + s.Slot1Driver);
  Log(ui, " ");
  Log(ui, "Car 1:" + s.SlotCarNames[1] + (car_ok ? " ok" : " not found!!"));
}

}  // namespace

record::TrackVerdict HeaderVerdict(const ByteView& file) {
  if (const auto rejected = ResultRejection(file)) return *rejected;
  return BlocksCutOff(LocateBlocks(file), file) ? record::TrackVerdict::CutOff
                                                : record::TrackVerdict::Accepted;
}

void DecodeTrackHeader(state::AppState& s, ui::Ui& ui) {
  s.TrackFileInvalid = true;
  // Without a loaded file the entry-file step has already logged why.
  if (!s.TrackFileLoaded) return;

  const ByteView file = s.LoadedFile();
  const std::string file_name = files::PathFilePart(s.FilePath);
  if (const auto rejected = ResultRejection(file)) {
    // For a damaged file this line keeps the entrant visible.
    Log(ui, (*rejected == record::TrackVerdict::NotATrack ? "kein Track: " : "Track defekt: ") +
                file_name);
    RecordRejectedTrack(s, *rejected);
    return;
  }

  const Blocks blocks = LocateBlocks(file);
  ReadHeader(s, file, blocks);
  const bool car_ok = SlotOneCarIsReferenceCar(s, file);
  LogHeader(s, ui, file_name, car_ok);
  const bool cut_off = BlocksCutOff(blocks, file);
  if (cut_off) Log(ui, "Track defekt: " + file_name);
  RecordAcceptedTrack(s, file, car_ok, cut_off);
  s.TrackFileInvalid = false;
}

}  // namespace hl::trackfile
