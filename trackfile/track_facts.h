#pragma once
// Copies what the header step decoded into the entry's record, together with
// the evidence the audit compares later, while the track file is loaded.

#include "record/competition_record.h"
#include "state/state.h"
#include "toolkit/files/byte_view.h"

namespace hl::trackfile {

void RecordAcceptedTrack(state::AppState& s, const files::ByteView& file, bool car_ok,
                         bool cut_off);
void RecordRejectedTrack(state::AppState& s, record::TrackVerdict verdict);

}  // namespace hl::trackfile
