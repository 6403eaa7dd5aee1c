#include "trackfile/header.h"

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

// Stores the header values. Only the record block up to slot 1's car is
// known to lie inside the data; everything else is read where it can be.
void ReadHeader(state::AppState& s, const ByteView& file, int32_t fixed_size, int32_t pair_count) {
  // Positions are computed 64 bits wide so that no N can wrap them around.
  const int64_t picture_bytes = 2 * static_cast<int64_t>(pair_count);
  const int64_t r = fixed_size;
  s.TrackScale = file.GetU8(layout::kScaleAt).value_or(0);
  s.GridThreshold = file.GetU8(layout::kGridThresholdAt).value_or(0);
  s.RecordBlock = r;
  s.GridBlock = layout::kGridAfterPairs + picture_bytes;
  s.ObjectBlock = layout::kObjectCountAfterPairs + picture_bytes;
  s.GhostBlock = r + layout::kGhostWordAt;
  s.ObjectCount =
      layout::BlocksAfterHeader(s.GridBlock) ? file.GetI16(s.ObjectBlock).value_or(0) : int16_t{0};
  s.Slot0Time = *file.GetI16(r + layout::SlotTimeAt(0));
  s.Slot1Time = *file.GetI16(r + layout::SlotTimeAt(1));
  s.Slot0Driver = TextField(file, r + layout::SlotDriverAt(0));
  s.Slot1Driver = TextField(file, r + layout::SlotDriverAt(1));
  s.SlotCarNames[0] = TextField(file, r + layout::SlotCarAt(0));
  s.SlotCarNames[1] = TextField(file, r + layout::SlotCarAt(1));
  s.GhostCount = static_cast<int16_t>(file.GetI16(s.GhostBlock).value_or(0) / 2);
}

// True when a block the header points to lies (partly) outside the data.
bool BlocksCutOff(const state::AppState& s, const ByteView& file) {
  // The grid lies right before the object count, so this covers both.
  if (!layout::BlocksAfterHeader(s.GridBlock) || !file.Contains(s.ObjectBlock, 2)) return true;
  if (s.ObjectCount > 0 &&
      !file.Contains(s.ObjectBlock + 2, layout::kObjectRecordSize * s.ObjectCount)) {
    return true;
  }
  if (!file.Contains(s.GhostBlock, 2)) return true;
  return s.GhostCount > 0 &&
         !file.Contains(s.GhostBlock + 2, layout::kGhostSampleSize * s.GhostCount);
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

void DecodeTrackHeader(state::AppState& s, ui::Ui& ui) {
  s.TrackFileInvalid = true;
  // Without a loaded file the entry-file step has already logged why.
  if (!s.TrackFileLoaded) return;

  const ByteView file = s.LoadedFile();
  const std::string file_name = files::PathFilePart(s.FilePath);
  if (!IsTrackFile(file)) {
    Log(ui, "kein Track: " + file_name);
    RecordRejectedTrack(s, record::TrackVerdict::NotATrack);
    return;
  }
  const auto fixed_size = file.GetI32(layout::kFixedSizeAt);
  const auto pair_count = file.GetI32(layout::kPairCountAt);
  if (!fixed_size || !pair_count || !file.Contains(*fixed_size, layout::kResultPartSize)) {
    // No result line can be made; this line keeps the entrant visible.
    Log(ui, "Track defekt: " + file_name);
    RecordRejectedTrack(s, record::TrackVerdict::Damaged);
    return;
  }

  ReadHeader(s, file, *fixed_size, *pair_count);
  const bool car_ok = SlotOneCarIsReferenceCar(s, file);
  LogHeader(s, ui, file_name, car_ok);
  const bool cut_off = BlocksCutOff(s, file);
  if (cut_off) Log(ui, "Track defekt: " + file_name);
  RecordAcceptedTrack(s, file, car_ok, cut_off);
  s.TrackFileInvalid = false;
}

}  // namespace hl::trackfile
