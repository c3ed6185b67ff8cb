// FontEngine: a FontFinder picks the face for a layout's font name; FreeType
// measures and renders it. A line is laid out the classic FreeType way: hinted
// advances, the face's kerning table, and pen positions rounded to whole pixels with
// the hinter's side-bearing corrections. Glyphs are rendered once per face and size
// into 8-bit coverage and blended over the target in the font colour. Styles the
// face lacks are made up: bold by widening the outline, italic by shearing it. When
// not even a fallback face can be opened, text measures 0 and draws nothing: a
// missing font must not stop the launcher.
#include "framework/Fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BITMAP_H
#include FT_OUTLINE_H

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <map>
#include <tuple>
#include <utility>

#include "base/Text.h"
#include "framework/FontFinder.h"
#include "framework/FreeTypeHandles.h"

namespace tazu {

namespace {

constexpr int kDefaultPixelHeight = 13;  // a TFont height of 0
constexpr int kMaxPixelHeight = 1000;
constexpr uint32_t kChannelMax = 255;
constexpr int kCoverageLevels = 256;  // FreeType's 8-bit gray bitmaps
// FreeType's 26.6 fixed point: 64 units to the pixel.
constexpr int kSubpixelBits = 6;
constexpr int64_t kOnePixel = 64;
constexpr int64_t kHalfPixel = 32;
// Rendering of the glyph outlines: hinted for the target's gray-level rendering.
constexpr FT_Int32 kLoadFlags = FT_LOAD_DEFAULT | FT_LOAD_TARGET_NORMAL;
// Synthetic bold widens each glyph (and its advance) by a tenth of the em, at
// least one pixel; synthetic italic leans it by about 11.7 degrees (16.16 tangent).
constexpr int kBoldDivisor = 10;
constexpr FT_Fixed kFixedOne = 0x10000;
constexpr FT_Fixed kItalicShear = 0x3500;

FreeTypeLibraryPtr StartFreeType() {
  FT_Library library = nullptr;
  return FreeTypeLibraryPtr(FT_Init_FreeType(&library) == 0 ? library : nullptr);
}

int PixelHeight(const TFont& font) {
  if (font.height == 0) return kDefaultPixelHeight;
  return std::clamp(font.height < 0 ? -font.height : font.height, 1, kMaxPixelHeight);
}

// Pixels from 26.6 values, rounded down or up.
int FloorPixels(FT_Pos v) { return static_cast<int>(v >> kSubpixelBits); }
int CeilPixels(FT_Pos v) { return static_cast<int>((v + kOnePixel - 1) >> kSubpixelBits); }
int64_t RoundToPixel(int64_t v) { return (v + kHalfPixel) & ~(kOnePixel - 1); }

// The text of one line as code points; like the C strings the launcher's texts once
// were, it ends at a NUL.
std::u16string LineText(std::string_view text) {
  std::u16string wide = AnsiToUtf16(text);
  const size_t nul = wide.find(u'\0');
  if (nul != std::u16string::npos) wide.resize(nul);
  return wide;
}

int ClampToInt(int64_t v) {
  return static_cast<int>(
      std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

uint32_t BlendCoverage(uint32_t color, uint32_t coverage, uint32_t dst) {
  auto mix = [&](uint32_t s, uint32_t d) {
    return (s * coverage + d * (kChannelMax - coverage) + kChannelMax / 2) / kChannelMax;
  };
  const uint32_t alpha =
      coverage + (PixelA(dst) * (kChannelMax - coverage) + kChannelMax / 2) / kChannelMax;
  return MakePixel(static_cast<uint8_t>(mix(PixelR(color), PixelR(dst))),
                   static_cast<uint8_t>(mix(PixelG(color), PixelG(dst))),
                   static_cast<uint8_t>(mix(PixelB(color), PixelB(dst))),
                   static_cast<uint8_t>(alpha));
}

// A rendered glyph: coverage rows with their offset from the pen position on the
// baseline, and the pen movement.
struct Glyph {
  FT_UInt index = 0;
  FT_Pos advance = 0;  // 26.6
  FT_Pos lsbDelta = 0;
  FT_Pos rsbDelta = 0;
  int left = 0;  // from the pen to the first column
  int top = 0;   // from the baseline up to the first row
  int width = 0;
  int rows = 0;
  std::vector<uint8_t> coverage;  // rows * width, 0..255
};

struct PlacedGlyph {
  const Glyph* glyph = nullptr;
  int64_t x = 0;  // pen position in pixels from the line's start
};

// A laid-out line. `width` spans the pen's end and all ink, so it also covers ink
// that reaches left of the start; `shift` moves the line right by that much.
struct LineLayout {
  std::vector<PlacedGlyph> glyphs;
  int64_t width = 0;
  int64_t shift = 0;
};

// Line metrics in whole pixels, as classic FreeType clients round them.
struct FaceMetrics {
  int ascent = 0;
  int descent = 0;  // below the baseline, positive
  int height = 0;   // ascender to descender, rounded as one span
  int underlineTop = 0;
  int underlineThickness = 1;
};

// Copies FreeType's bitmap of any depth into 0..255 coverage rows.
bool CopyCoverage(FT_Library library, const FT_Bitmap& source, Glyph& glyph) {
  FT_Bitmap converted;
  FT_Bitmap_Init(&converted);
  const FT_Bitmap* gray = &source;
  if (source.pixel_mode != FT_PIXEL_MODE_GRAY) {
    if (FT_Bitmap_Convert(library, &source, &converted, 1) != 0) {
      FT_Bitmap_Done(library, &converted);
      return false;
    }
    gray = &converted;
  }
  const int width = static_cast<int>(gray->width);
  const int rows = static_cast<int>(gray->rows);
  const int levels = std::max(1, static_cast<int>(gray->num_grays) - 1);
  const int stride = gray->pitch < 0 ? -gray->pitch : gray->pitch;
  glyph.width = width;
  glyph.rows = rows;
  glyph.coverage.assign(static_cast<size_t>(width) * rows, 0);
  for (int row = 0; row < rows && gray->buffer != nullptr; ++row) {
    // A negative pitch stores the rows bottom-up.
    const int stored = gray->pitch < 0 ? rows - 1 - row : row;
    const unsigned char* src = gray->buffer + static_cast<ptrdiff_t>(stored) * stride;
    uint8_t* dst = glyph.coverage.data() + static_cast<size_t>(row) * width;
    for (int x = 0; x < width; ++x) {
      const int value =
          levels == kCoverageLevels - 1 ? src[x] : src[x] * static_cast<int>(kChannelMax) / levels;
      dst[x] = static_cast<uint8_t>(std::min(value, static_cast<int>(kChannelMax)));
    }
  }
  FT_Bitmap_Done(library, &converted);
  return true;
}

// Bitmap glyphs have no outline to widen: each row is smeared `by` pixels right.
void SmearRight(Glyph& glyph, int by) {
  const int width = glyph.width + by;
  std::vector<uint8_t> wider(static_cast<size_t>(width) * glyph.rows, 0);
  for (int row = 0; row < glyph.rows; ++row) {
    const uint8_t* src = glyph.coverage.data() + static_cast<size_t>(row) * glyph.width;
    uint8_t* dst = wider.data() + static_cast<size_t>(row) * width;
    for (int x = 0; x < glyph.width; ++x)
      for (int k = 0; k <= by; ++k) dst[x + k] = std::max(dst[x + k], src[x]);
  }
  glyph.width = width;
  glyph.coverage = std::move(wider);
}

// The nearest of a bitmap-only face's sizes.
bool SelectFixedSize(FT_Face face, int pixelHeight) {
  if (face->num_fixed_sizes <= 0 || face->available_sizes == nullptr) return false;
  int best = 0;
  for (int i = 1; i < face->num_fixed_sizes; ++i)
    if (std::abs(face->available_sizes[i].height - pixelHeight) <
        std::abs(face->available_sizes[best].height - pixelHeight))
      best = i;
  return FT_Select_Size(face, best) == 0;
}

FaceMetrics ComputeMetrics(FT_Face face) {
  FaceMetrics m;
  int underlineOffset = 0;
  if (FT_IS_SCALABLE(face)) {
    const FT_Fixed scale = face->size->metrics.y_scale;
    m.ascent = CeilPixels(FT_MulFix(face->ascender, scale));
    m.descent = -CeilPixels(FT_MulFix(face->descender, scale));
    m.height = CeilPixels(FT_MulFix(face->ascender - face->descender, scale));
    underlineOffset = FloorPixels(FT_MulFix(face->underline_position, scale));
    m.underlineThickness = FloorPixels(FT_MulFix(face->underline_thickness, scale));
  } else {
    m.ascent = CeilPixels(face->size->metrics.ascender);
    m.descent = -CeilPixels(face->size->metrics.descender);
    m.height = CeilPixels(face->size->metrics.height);
    underlineOffset = -m.descent / 2;
  }
  m.underlineThickness = std::max(1, m.underlineThickness);
  m.underlineTop = std::max(0, m.ascent - underlineOffset - 1);
  return m;
}

// One face opened at one pixel size with its synthetic styles, and its glyphs.
class SizedFace {
 public:
  // Null when the file cannot be opened or sized.
  static std::unique_ptr<SizedFace> Open(FT_Library library, const FontFile& file,
                                         int pixelHeight) {
    FT_Face raw = nullptr;
    if (FT_New_Face(library, file.file.c_str(), file.index, &raw) != 0) return nullptr;
    FreeTypeFacePtr face(raw);
    const bool sized = FT_IS_SCALABLE(face) ? FT_Set_Pixel_Sizes(face.get(), 0, pixelHeight) == 0
                                            : SelectFixedSize(face.get(), pixelHeight);
    if (!sized || face->size == nullptr) return nullptr;
    if (face->charmap == nullptr && face->num_charmaps > 0)
      FT_Set_Charmap(face.get(), face->charmaps[0]);
    return std::unique_ptr<SizedFace>(new SizedFace(library, std::move(face), file));
  }

  const FaceMetrics& Metrics() const { return metrics_; }

  LineLayout Layout(std::u16string_view text) {
    LineLayout line;
    line.glyphs.reserve(text.size());
    int64_t pen = 0;  // 26.6
    FT_Pos previousAdvance = 0;
    FT_Pos previousRsb = 0;
    FT_UInt previousIndex = 0;
    int64_t inkLeft = 0;
    int64_t inkRight = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      const Glyph& glyph = GlyphFor(text[i]);
      pen += previousAdvance + Kerning(previousIndex, glyph.index);
      if (i > 0) pen += HintingCorrection(previousRsb, glyph.lsbDelta);
      pen = RoundToPixel(pen);
      previousAdvance = glyph.advance;
      previousRsb = glyph.rsbDelta;
      previousIndex = glyph.index;
      const int64_t x = pen >> kSubpixelBits;
      line.glyphs.push_back({&glyph, x});
      if (glyph.width > 0 && glyph.rows > 0) {
        inkLeft = std::min(inkLeft, x + glyph.left);
        inkRight = std::max(inkRight, x + glyph.left + glyph.width);
      }
    }
    inkRight = std::max(inkRight, (pen + previousAdvance) >> kSubpixelBits);
    line.width = inkRight - inkLeft;
    line.shift = -inkLeft;
    return line;
  }

 private:
  SizedFace(FT_Library library, FreeTypeFacePtr face, const FontFile& file)
      : library_(library),
        face_(std::move(face)),
        metrics_(ComputeMetrics(face_.get())),
        emboldenPixels_(file.syntheticBold ? EmboldenPixels(face_.get()) : 0),
        italic_(file.syntheticItalic) {}

  FT_Library library_;
  FreeTypeFacePtr face_;
  FaceMetrics metrics_;
  // How much wider synthetic bold makes each glyph; 0 for a face used as it is.
  int emboldenPixels_;
  // Whether glyphs are sheared into a synthetic italic.
  bool italic_;
  // Rendered on first use; node-based, so the pointers that layouts keep stay valid.
  std::map<char16_t, Glyph> glyphs_;

  static int EmboldenPixels(FT_Face face) {
    return std::max(1, static_cast<int>(face->size->metrics.y_ppem) / kBoldDivisor);
  }

  FT_Pos Kerning(FT_UInt left, FT_UInt right) const {
    if (!FT_HAS_KERNING(face_) || left == 0 || right == 0) return 0;
    FT_Vector delta{};
    if (FT_Get_Kerning(face_.get(), left, right, FT_KERNING_UNFITTED, &delta) != 0) return 0;
    return delta.x;
  }

  // Whole-pixel pen positions drift from the unhinted design; the hinter reports how
  // far each glyph's side bearings moved, and a pixel is taken back or added when the
  // gap between two glyphs changed by more than half a pixel.
  static FT_Pos HintingCorrection(FT_Pos previousRsb, FT_Pos lsb) {
    const FT_Pos change = previousRsb - lsb;
    if (change > kHalfPixel) return -kOnePixel;
    if (change < -(kHalfPixel - 1)) return kOnePixel;
    return 0;
  }

  const Glyph& GlyphFor(char16_t c) {
    auto [it, added] = glyphs_.try_emplace(c);
    if (added) Render(c, it->second);
    return it->second;
  }

  // A glyph FreeType cannot load or render stays empty: no ink, no advance.
  void Render(char16_t c, Glyph& glyph) {
    glyph.index = FT_Get_Char_Index(face_.get(), c);
    if (FT_Load_Glyph(face_.get(), glyph.index, kLoadFlags) != 0) return;
    FT_GlyphSlot slot = face_->glyph;
    const FT_Pos widening = static_cast<FT_Pos>(emboldenPixels_) * kOnePixel;
    glyph.advance = slot->metrics.horiAdvance + widening;
    glyph.lsbDelta = slot->lsb_delta;
    glyph.rsbDelta = slot->rsb_delta;
    const bool outline = slot->format == FT_GLYPH_FORMAT_OUTLINE;
    if (outline) ApplySyntheticStyles(slot->outline, widening);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0 ||
        !CopyCoverage(library_, slot->bitmap, glyph)) {
      glyph.width = glyph.rows = 0;
      glyph.coverage.clear();
      return;
    }
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    if (!outline && emboldenPixels_ > 0 && glyph.width > 0) SmearRight(glyph, emboldenPixels_);
  }

  // Bold grows the outline to the right only, so the glyph keeps its left edge;
  // italic leans it about the baseline.
  void ApplySyntheticStyles(FT_Outline& outline, FT_Pos widening) const {
    if (widening > 0) {
      FT_Outline_EmboldenXY(&outline, widening, 0);
      FT_Outline_Translate(&outline, widening / 2, 0);
    }
    if (italic_) {
      FT_Matrix shear{kFixedOne, kItalicShear, 0, kFixedOne};
      FT_Outline_Transform(&outline, &shear);
    }
  }
};

void BlitGlyph(Bitmap32& target, const Rect& visible, int64_t left, int64_t top, const Glyph& glyph,
               uint32_t color) {
  const int64_t x0 = std::max<int64_t>(left, visible.left);
  const int64_t x1 = std::min<int64_t>(left + glyph.width, visible.right);
  const int64_t y0 = std::max<int64_t>(top, visible.top);
  const int64_t y1 = std::min<int64_t>(top + glyph.rows, visible.bottom);
  for (int64_t y = y0; y < y1; ++y) {
    const uint8_t* src = glyph.coverage.data() + (y - top) * glyph.width;
    uint32_t* dst = target.Row(static_cast<int>(y));
    for (int64_t x = x0; x < x1; ++x)
      if (const uint8_t coverage = src[x - left]; coverage != 0)
        dst[x] = BlendCoverage(color, coverage, dst[x]);
  }
}

void FillSolid(Bitmap32& target, const Rect& visible, int64_t left, int64_t top, int64_t right,
               int64_t bottom, uint32_t color) {
  const int64_t x0 = std::max<int64_t>(left, visible.left);
  const int64_t x1 = std::min<int64_t>(right, visible.right);
  const int64_t y0 = std::max<int64_t>(top, visible.top);
  const int64_t y1 = std::min<int64_t>(bottom, visible.bottom);
  for (int64_t y = y0; y < y1; ++y) {
    uint32_t* dst = target.Row(static_cast<int>(y));
    for (int64_t x = x0; x < x1; ++x) dst[x] = BlendCoverage(color, kChannelMax, dst[x]);
  }
}

}  // namespace

struct FontEngine::Impl {
  // Declared first so that it is let go last, after every face opened with it.
  FreeTypeLibraryPtr library = StartFreeType();
  std::unique_ptr<FontFinder> finder = MakeDefaultFontFinder();
  // Keyed by lower-case name, bold, italic.
  std::map<std::tuple<std::string, bool, bool>, FontFile> faces;
  // Keyed by bold, italic.
  std::map<std::pair<bool, bool>, FontFile> fallbacks;
  // Keyed by file, face index, pixel height and synthetic styles; a null entry
  // remembers a failure.
  std::map<std::tuple<std::string, long, int, bool, bool>, std::unique_ptr<SizedFace>> sized;

  const FontFile& Resolve(const TFont& font) {
    const auto key = std::make_tuple(LowerCase(font.name), font.bold, font.italic);
    auto it = faces.find(key);
    if (it == faces.end())
      it = faces.emplace(key, finder->Find(font.name, font.bold, font.italic)).first;
    return it->second;
  }

  const FontFile& Fallback(const TFont& font) {
    const auto key = std::make_pair(font.bold, font.italic);
    auto it = fallbacks.find(key);
    if (it == fallbacks.end())
      it = fallbacks.emplace(key, finder->Fallback(font.bold, font.italic)).first;
    return it->second;
  }

  SizedFace* OpenFace(const FontFile& file, const TFont& font) {
    if (file.file.empty() || !library) return nullptr;
    const int size = PixelHeight(font);
    const auto key =
        std::make_tuple(file.file, file.index, size, file.syntheticBold, file.syntheticItalic);
    auto it = sized.find(key);
    if (it == sized.end())
      it = sized.emplace(key, SizedFace::Open(library.get(), file, size)).first;
    return it->second.get();
  }

  SizedFace* Open(const TFont& font) {
    if (SizedFace* face = OpenFace(Resolve(font), font)) return face;
    return OpenFace(Fallback(font), font);
  }
};

FontEngine::FontEngine() : impl_(std::make_unique<Impl>()) {}
FontEngine::~FontEngine() = default;

void FontEngine::SetFontFolders(std::vector<std::string> folders) {
  impl_->sized.clear();
  impl_->faces.clear();
  impl_->fallbacks.clear();
  impl_->finder = MakeFolderFontFinder(std::move(folders));
}

std::string FontEngine::ResolveFile(const TFont& font) { return impl_->Resolve(font).file; }

TextMetrics FontEngine::Metrics(const TFont& font) {
  SizedFace* face = impl_->Open(font);
  if (face == nullptr) return {};
  const FaceMetrics& m = face->Metrics();
  // An underline may hang below the descender; the line makes room for it.
  const int lineHeight =
      font.underline ? std::max(m.height, m.underlineTop + m.underlineThickness) : m.height;
  return {m.ascent, m.descent, lineHeight};
}

int FontEngine::LineWidth(const TFont& font, std::string_view text) {
  const std::u16string wide = LineText(text);
  if (wide.empty()) return 0;
  SizedFace* face = impl_->Open(font);
  if (face == nullptr) return 0;
  return ClampToInt(face->Layout(wide).width);
}

void FontEngine::DrawLine(Bitmap32& target, const Rect& clip, int x, int y, const TFont& font,
                          std::string_view text) {
  const std::u16string wide = LineText(text);
  if (wide.empty()) return;
  const Rect visible = clip.Intersect(target.Bounds());
  if (visible.IsEmpty()) return;
  SizedFace* face = impl_->Open(font);
  if (face == nullptr) return;
  const LineLayout line = face->Layout(wide);
  if (line.width == 0) return;
  const uint32_t color = ColorToPixel(font.color);
  const FaceMetrics& m = face->Metrics();
  const int64_t start = int64_t{x} + line.shift;
  const int64_t baseline = int64_t{y} + m.ascent;
  for (const PlacedGlyph& placed : line.glyphs) {
    const Glyph& g = *placed.glyph;
    BlitGlyph(target, visible, start + placed.x + g.left, baseline - g.top, g, color);
  }
  if (font.underline) {
    const int64_t top = int64_t{y} + m.underlineTop;
    FillSolid(target, visible, x, top, int64_t{x} + line.width, top + m.underlineThickness, color);
  }
}

// ---- Windows-1252 ------------------------------------------------------------

namespace {

constexpr uint8_t kTableStart = 0x80;
constexpr char32_t kAsciiEnd = 0x80;
constexpr char32_t kLatin1Start = 0xA0;
constexpr char32_t kLatin1End = 0x100;
// Code points of bytes 0x80..0x9F; unassigned bytes stand for themselves.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kNoCodePoint = 0xFFFFFFFF;
constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;

// Decodes one UTF-8 sequence at `i`, advancing `i`; malformed input gives
// kNoCodePoint and skips one byte.
char32_t NextCodePoint(std::string_view s, size_t& i) {
  const auto lead = static_cast<uint8_t>(s[i++]);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, minimum = 0x10000;
  } else {
    return kNoCodePoint;
  }
  if (s.size() - i < static_cast<size_t>(extra)) return kNoCodePoint;
  for (int k = 0; k < extra; ++k) {
    const auto next = static_cast<uint8_t>(s[i + k]);
    if ((next & 0xC0) != 0x80) return kNoCodePoint;
    cp = (cp << 6) | (next & 0x3F);
  }
  i += extra;
  if (cp < minimum || cp > kMaxCodePoint || (cp >= kSurrogateFirst && cp <= kSurrogateLast))
    return kNoCodePoint;
  return cp;
}

}  // namespace

std::u16string AnsiToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto b = static_cast<uint8_t>(c);
    const bool high = b >= kTableStart && b < kTableStart + kCp1252High.size();
    out.push_back(high ? kCp1252High[b - kTableStart] : static_cast<char16_t>(b));
  }
  return out;
}

std::string Utf8ToAnsi(std::string_view text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    const char32_t cp = NextCodePoint(text, i);
    if (cp == kNoCodePoint) continue;
    if (cp < kAsciiEnd || (cp >= kLatin1Start && cp < kLatin1End)) {
      out.push_back(static_cast<char>(cp));
      continue;
    }
    const auto it = std::find(kCp1252High.begin(), kCp1252High.end(), static_cast<char16_t>(cp));
    if (cp <= 0xFFFF && it != kCp1252High.end())
      out.push_back(static_cast<char>(kTableStart + (it - kCp1252High.begin())));
  }
  return out;
}

}  // namespace tazu
