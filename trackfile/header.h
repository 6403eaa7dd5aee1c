#pragma once
#include "record/competition_record.h"
#include "state/state.h"
#include "toolkit/files/byte_view.h"
#include "toolkit/ui/ui.h"

namespace hl::trackfile {

// What `file`'s header alone says of it, as DecodeTrackHeader decides:
// NotATrack, Damaged (no result), CutOff (blocks outside the data) or
// Accepted. The car is not looked at.
record::TrackVerdict HeaderVerdict(const files::ByteView& file);

// Validates the loaded track file, locates its blocks, logs its six header
// lines (among them the result line "1.: time driver") and checks slot 1's
// car against the reference car file. Sets TrackFileInvalid.
void DecodeTrackHeader(state::AppState& s, ui::Ui& ui);

}  // namespace hl::trackfile
