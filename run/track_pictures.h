#pragma once
// Every entry's track picture as FOLDER/ENTRY.png, encoded and written off
// the run's steps.

#include <cstddef>
#include <string>

#include "run/diagnostics.h"
#include "run/picture_writer.h"
#include "state/state.h"

namespace hl::run {

class TrackPictures {
 public:
  // `folder` is absolute, ends with "/" and exists.
  TrackPictures(std::string folder, Diagnostics& diagnostics);

  // The track picture of the entry just shown.
  void Save(const state::AppState& s, const std::string& entry);
  // Waits for every picture and says where they went; false when one could
  // not be written.
  [[nodiscard]] bool Finish();

 private:
  std::string folder_;
  Diagnostics& diagnostics_;
  bool failed_ = false;
  size_t handed_over_ = 0;
  PictureWriter writer_;
};

}  // namespace hl::run
