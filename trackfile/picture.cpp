#include "trackfile/picture.h"

#include <algorithm>
#include <string>

#include "record/rules.h"
#include "toolkit/files/paths.h"
#include "toolkit/raster/draw.h"
#include "toolkit/text/text.h"
#include "trackfile/line_image.h"
#include "trackfile/track_layout.h"

namespace hl::trackfile {
namespace {

constexpr int kImageHeight = 560;
constexpr raster::Color kStripColour = raster::Rgb(0, 100, 150);
constexpr raster::Color kTextColour = raster::Rgb(255, 255, 255);

// Runs fill the square row by row from the bottom row up. Decoding ends when
// the square is full or the data ends, whatever N says.
void DrawRuns(raster::Image& image, const files::ByteView& file,
              const std::array<raster::Color, 22>& palette) {
  int x = 0;
  int y = kTrackEdge;
  for (int64_t at = layout::kPictureAt; y >= 0; at += 2) {
    const auto first = file.GetU8(at);
    const auto second = file.GetU8(at + 1);
    if (!first || !second) return;
    const raster::Color colour = palette[*first & 15];
    int length = *second * 16 + *first / 16;
    while (length > 0 && y >= 0) {
      const int piece = std::min(length, kTrackSide - x);
      raster::Box(image, x, y, piece, 1, colour);
      length -= piece;
      x += piece;
      if (x == kTrackSide) {
        x = 0;
        --y;
      }
    }
  }
}

struct BestTime {
  int16_t time;
  std::string caption;
};

// Slot 1 is the entrant's lap; slot 0 stands in when it holds no time.
BestTime ChooseBestTime(const state::AppState& s) {
  if (s.Slot1Time < record::kNoTime)
    return {s.Slot1Time, s.Slot1Driver + " / " + s.SlotCarNames[1]};
  if (s.Slot0Time < record::kNoTime)
    return {s.Slot0Time, s.Slot0Driver + " / " + s.SlotCarNames[0]};
  return {s.Slot0Time, "no Best Time"};
}

// The name without its extension (the last four characters).
std::string TrackNameWithoutExtension(const std::string& path) {
  const std::string name = files::PathFilePart(path);
  return text::LeadingPart(name, text::TextLength(name) - 4);
}

void DrawCaption(state::AppState& s, raster::Image& image) {
  raster::Box(image, 0, kTrackSide, kTrackSide, kImageHeight - kTrackSide, kStripColour);
  const BestTime best = ChooseBestTime(s);
  const std::string track_name = TrackNameWithoutExtension(s.FilePath);
  TakeTrackBaseName(s);
  if (!s.LogFont) return;
  const raster::Font& font = *s.LogFont;
  raster::DrawText(image, font, 20, 530, text::FormatHundredths(best.time), kTextColour,
                   kStripColour);
  raster::DrawText(image, font, 90, 520, track_name, kTextColour, kStripColour);
  raster::DrawText(image, font, 90, 540, best.caption, kTextColour, kStripColour);
}

}  // namespace

void TakeTrackBaseName(state::AppState& s) {
  const std::string track_name = TrackNameWithoutExtension(s.FilePath);
  if (!track_name.empty()) s.TrackBaseName = track_name;
}

void DrawTrackPicture(state::AppState& s, ui::Ui& ui) {
  if (!s.Images.CreateImage(state::id::kLineImage, kTrackSide, kImageHeight)) return;
  raster::Image& image = *LineImage(s);
  DrawRuns(image, s.LoadedFile(), s.Palette);
  DrawCaption(s, image);
  ShowLineImage(s, ui);
}

}  // namespace hl::trackfile
