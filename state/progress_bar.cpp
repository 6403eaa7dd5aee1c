#include "state/progress_bar.h"

#include <algorithm>

#include "toolkit/raster/draw.h"
#include "toolkit/text/text.h"

namespace hl::state {

namespace {

constexpr int kWidth = 512;
constexpr int kHeight = 30;
constexpr int64_t kMaxLabelCharacters = 50;
constexpr int64_t kCutLabelCharacters = 47;

bool StartsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

// Counts characters, not bytes, so a name is never cut inside a character.
std::string ShortenLabel(const std::string& label) {
  int64_t characters = std::count_if(label.begin(), label.end(), StartsCharacter);
  if (characters <= kMaxLabelCharacters) return label;
  // The cut falls where character number 48 begins.
  int64_t started = 0;
  size_t end = 0;
  for (; end < label.size(); ++end) {
    if (!StartsCharacter(label[end])) continue;
    if (started == kCutLabelCharacters) break;
    ++started;
  }
  return label.substr(0, end) + "...";
}

std::string BuildLabel(int64_t done, int64_t total, const std::string& text) {
  if (done == kFinished) return text;
  return text::FormatInteger(done) + " / " + text::FormatInteger(total) + "   " + text;
}

int BarWidth(int64_t done, int64_t total) {
  if (total <= 0) return 0;
  return static_cast<int>(std::clamp<int64_t>(done * kWidth / total, 0, kWidth));
}

}  // namespace

void ShowProgress(AppState& s, ui::Ui& ui, int64_t done, int64_t total, const std::string& text) {
  if (!s.Images.CreateImage(id::kProgressImage, kWidth, kHeight)) return;
  raster::Image& image = *s.Images.Get(id::kProgressImage);

  raster::Box(image, 0, 0, kWidth, kHeight, s.Palette[16]);
  raster::Box(image, 0, 0, BarWidth(done, total), kHeight, s.Palette[17]);
  if (s.LabelFont) {
    const std::string label = ShortenLabel(BuildLabel(done, total, text));
    const int x = kWidth / 2 - s.LabelFont->TextWidth(label) / 2;
    raster::DrawText(image, *s.LabelFont, x, 5, label, s.Palette[13], std::nullopt);
  }
  ui.ShowImage(id::kProgressView, &image);
}

}  // namespace hl::state
