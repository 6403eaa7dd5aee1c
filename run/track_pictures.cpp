#include "run/track_pictures.h"

#include <utility>
#include <vector>

#include "toolkit/raster/image_files.h"

namespace hl::run {

TrackPictures::TrackPictures(std::string folder, Diagnostics& diagnostics)
    : folder_(std::move(folder)), diagnostics_(diagnostics) {}

void TrackPictures::Save(const state::AppState& s, const std::string& entry) {
  const std::string path = folder_ + entry + ".png";
  const raster::Image* picture = s.Images.Get(state::id::kLineImage);
  if (picture == nullptr) {
    diagnostics_.Problem("could not write the picture " + path);
    failed_ = true;
    return;
  }
  writer_.Write(*picture, raster::PngCompression::kQuick, path);
  ++handed_over_;
}

// The pictures are too many to name one by one; the folder and the count
// say where they went, and every failure is named.
bool TrackPictures::Finish() {
  const std::vector<std::string> failed = writer_.Finish();
  for (const std::string& path : failed) {
    diagnostics_.Problem("could not write the picture " + path);
    failed_ = true;
  }
  const size_t written = handed_over_ - failed.size();
  diagnostics_.Note(std::to_string(written) +
                    (written == 1 ? " track picture" : " track pictures") + " written to " +
                    folder_);
  return !failed_;
}

}  // namespace hl::run
