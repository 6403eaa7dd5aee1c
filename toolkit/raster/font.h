#pragma once
// Fonts for drawing text into images, rendered by FreeType at 96 dpi without
// anti-aliasing, so every glyph pixel has exactly the front colour.

#include <memory>
#include <string>
#include <string_view>

#include "toolkit/text/error.h"

namespace hl::raster {

class Font {
 public:
  ~Font();
  Font(Font&&) noexcept;
  Font& operator=(Font&&) noexcept;

  // Finds the face through fontconfig (family, bold or not) at point size
  // (pixel height = points * 96 / 72). A failure names the family, or the
  // face file that could not be read.
  static Result<Font> Load(const std::string& family, bool bold, int points);

  int LineHeight() const;  // height of a text cell
  int Ascent() const;      // baseline offset from the top of the cell
  // Advance width in pixels of UTF-8 text; 0 for "".
  int TextWidth(std::string_view utf8) const;

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  explicit Font(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// The two faces the tool draws with: DejaVu Sans Mono 12 pt and Liberation
// Sans Bold 10 pt. A failure names the Debian package to install.
Result<Font> LoadLogFont();
Result<Font> LoadLabelFont();

}  // namespace hl::raster
