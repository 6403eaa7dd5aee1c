// Fonts: fontconfig finds the face file, FreeType renders it in black and
// white so that glyph pixels carry exactly the front colour.

#include <fontconfig/fontconfig.h>

#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "toolkit/raster/font_impl.h"
#include "toolkit/text/utf8.h"

namespace hl::raster {
namespace {

constexpr int kDotsPerInch = 96;
constexpr int kPointsPerInch = 72;

struct FaceFile {
  std::string path;
  int index = 0;
};

int RoundedPixels(FT_Pos value26_6) { return static_cast<int>((value26_6 + 32) >> 6); }

bool HasFamily(FcPattern* pattern, const std::string& family) {
  FcChar8* name = nullptr;
  for (int n = 0; FcPatternGetString(pattern, FC_FAMILY, n, &name) == FcResultMatch; ++n) {
    if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family.c_str())) == 0)
      return true;
  }
  return false;
}

bool HasWeight(FcPattern* pattern, bool bold) {
  int weight = FC_WEIGHT_REGULAR;
  FcPatternGetInteger(pattern, FC_WEIGHT, 0, &weight);
  return (weight >= FC_WEIGHT_DEMIBOLD) == bold;
}

// fontconfig falls back to some other face when the family is missing; that
// fallback would silently change every text width, so it counts as missing.
std::optional<FaceFile> FindFaceFile(const std::string& family, bool bold) {
  // A season evaluates its competitions on several threads at once, and the
  // default configuration fontconfig builds and may rescan is shared by all.
  static std::mutex fontconfig;
  const std::lock_guard<std::mutex> locked(fontconfig);
  if (!FcInit()) return std::nullopt;
  FcPattern* wanted = FcNameParse(reinterpret_cast<const FcChar8*>(""));
  if (wanted == nullptr) return std::nullopt;
  FcPatternAddString(wanted, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(wanted, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(wanted, FC_SLANT, FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, wanted, FcMatchPattern);
  FcDefaultSubstitute(wanted);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, wanted, &result);
  FcPatternDestroy(wanted);
  if (match == nullptr) return std::nullopt;

  std::optional<FaceFile> found;
  FcChar8* file = nullptr;
  if (HasFamily(match, family) && HasWeight(match, bold) &&
      FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    found = FaceFile{reinterpret_cast<const char*>(file), 0};
    FcPatternGetInteger(match, FC_INDEX, 0, &found->index);
  }
  FcPatternDestroy(match);
  return found;
}

std::string Describe(const std::string& family, bool bold) {
  return "font \"" + family + "\"" + (bold ? " bold" : "") + " not found";
}

// Offsets of the set pixels of the glyph just rendered into the slot.
std::vector<Glyph::Dot> DotsOf(const FT_GlyphSlot slot) {
  std::vector<Glyph::Dot> dots;
  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.buffer == nullptr || bitmap.pitch < 0) return dots;
  const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
  if (!mono && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) return dots;
  const size_t pitch = static_cast<size_t>(bitmap.pitch);
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    for (unsigned column = 0; column < bitmap.width; ++column) {
      const size_t at = row * pitch + (mono ? column / 8 : column);
      const unsigned char byte = bitmap.buffer[at];
      const bool set = mono ? (byte & (0x80 >> (column % 8))) != 0 : byte >= 128;
      if (!set) continue;
      dots.push_back({static_cast<int16_t>(slot->bitmap_left + static_cast<int>(column)),
                      static_cast<int16_t>(static_cast<int>(row) - slot->bitmap_top)});
    }
  }
  return dots;
}

Result<Font> LoadNamed(const std::string& family, bool bold, int points,
                       const std::string& package) {
  Result<Font> font = Font::Load(family, bold, points);
  if (!font) font.error().what += "; install the Debian package " + package;
  return font;
}

}  // namespace

Font::Impl::~Impl() {
  if (face != nullptr) FT_Done_Face(face);
  if (library != nullptr) FT_Done_FreeType(library);
}

const Glyph& Font::Impl::GlyphFor(char32_t code) {
  const auto cached = glyphs.find(code);
  if (cached != glyphs.end()) return cached->second;
  Glyph glyph;
  if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0) {
    glyph.advance = RoundedPixels(face->glyph->advance.x);
    glyph.dots = DotsOf(face->glyph);
  }
  return glyphs.emplace(code, std::move(glyph)).first->second;
}

Font::Font(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Font::~Font() = default;
Font::Font(Font&&) noexcept = default;
Font& Font::operator=(Font&&) noexcept = default;

Result<Font> Font::Load(const std::string& family, bool bold, int points) {
  const int pixels = points * kDotsPerInch / kPointsPerInch;
  if (pixels < 1) return Fail({Describe(family, bold) + " at " + std::to_string(points) + " pt"});
  const std::optional<FaceFile> file = FindFaceFile(family, bold);
  if (!file) return Fail({Describe(family, bold)});

  auto impl = std::make_unique<Impl>();
  if (FT_Init_FreeType(&impl->library) != 0) return Fail({"the font renderer cannot start"});
  if (FT_New_Face(impl->library, file->path.c_str(), file->index, &impl->face) != 0 ||
      FT_Set_Pixel_Sizes(impl->face, 0, static_cast<FT_UInt>(pixels)) != 0) {
    return Fail({"the font file cannot be read", file->path});
  }
  impl->line_height = RoundedPixels(impl->face->size->metrics.height);
  impl->ascent = RoundedPixels(impl->face->size->metrics.ascender);
  return Font(std::move(impl));
}

int Font::LineHeight() const { return impl_->line_height; }
int Font::Ascent() const { return impl_->ascent; }

int Font::TextWidth(std::string_view utf8) const {
  int width = 0;
  for (size_t position = 0; position < utf8.size();) {
    width += impl_->GlyphFor(text::NextCodePoint(utf8, position)).advance;
  }
  return width;
}

Result<Font> LoadLogFont() { return LoadNamed("DejaVu Sans Mono", false, 12, "fonts-dejavu-core"); }

Result<Font> LoadLabelFont() { return LoadNamed("Liberation Sans", true, 10, "fonts-liberation2"); }

}  // namespace hl::raster
