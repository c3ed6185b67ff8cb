// FontEngine: fontconfig finds the file for a layout's font name, SDL2_ttf
// (FreeType) measures and renders. Only SDL_ttf and SDL surfaces are used, never
// SDL video, so text works without a display. When not even a fallback sans font
// can be opened, text measures 0 and draws nothing: a missing font must not stop
// the launcher.
#include "framework/Fonts.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <tuple>
#include <utility>

#include "base/Text.h"

namespace tazu {

namespace {

constexpr int kDefaultPixelHeight = 13;  // a TFont height of 0
constexpr int kMaxPixelHeight = 1000;
constexpr uint32_t kChannelMax = 255;
constexpr char kFallbackFamily[] = "sans-serif";

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

struct TtfFontDeleter {
  void operator()(TTF_Font* f) const { TTF_CloseFont(f); }
};
using TtfFontPtr = std::unique_ptr<TTF_Font, TtfFontDeleter>;

struct SurfaceDeleter {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// A font file and the styles that FreeType has to fake because the file lacks them.
struct Face {
  std::string file;
  bool syntheticBold = false;
  bool syntheticItalic = false;
};

// The family to ask fontconfig for, and the weight that counts as bold in it.
struct FamilyRequest {
  std::string family;
  int boldWeight = FC_WEIGHT_BOLD;
};

FamilyRequest MapFamily(const std::string& name) {
  if (SameText(name, "Century Gothic")) return {"URW Gothic", FC_WEIGHT_DEMIBOLD};
  if (SameText(name, "MS Sans Serif")) return {"Arial", FC_WEIGHT_BOLD};
  return {name, FC_WEIGHT_BOLD};
}

Face MatchFace(const std::string& family, int weight, bool italic, bool bold) {
  PatternPtr pattern(FcPatternCreate());
  if (!pattern) return {};
  FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern.get(), FC_WEIGHT, weight);
  FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
  FcDefaultSubstitute(pattern.get());
  FcResult result = FcResultNoMatch;
  PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
  FcChar8* file = nullptr;
  if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) return {};
  int gotWeight = FC_WEIGHT_REGULAR;
  int gotSlant = FC_SLANT_ROMAN;
  FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &gotWeight);
  FcPatternGetInteger(match.get(), FC_SLANT, 0, &gotSlant);
  return {reinterpret_cast<const char*>(file), bold && gotWeight < FC_WEIGHT_DEMIBOLD,
          italic && gotSlant == FC_SLANT_ROMAN};
}

int PixelHeight(const TFont& font) {
  if (font.height == 0) return kDefaultPixelHeight;
  return std::clamp(font.height < 0 ? -font.height : font.height, 1, kMaxPixelHeight);
}

// Text for SDL_ttf: UCS-2 with a terminating zero.
std::u16string ToTtfText(std::string_view text) {
  std::u16string wide = AnsiToUtf16(text);
  const size_t nul = wide.find(u'\0');
  if (nul != std::u16string::npos) wide.resize(nul);
  return wide;
}

const Uint16* TtfChars(const std::u16string& s) {
  return reinterpret_cast<const Uint16*>(s.c_str());
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

}  // namespace

struct FontEngine::Impl {
  bool fontconfigReady = false;
  bool ttfReady = false;
  // Keyed by lower-case name, bold, italic.
  std::map<std::tuple<std::string, bool, bool>, Face> faces;
  // Keyed by bold, italic.
  std::map<std::pair<bool, bool>, Face> fallbacks;
  // Keyed by file, pixel height, SDL_ttf style; a null entry remembers a failure.
  std::map<std::tuple<std::string, int, int>, TtfFontPtr> fonts;

  Impl() {
    fontconfigReady = FcInit() == FcTrue;
    ttfReady = TTF_Init() == 0;
  }

  ~Impl() {
    fonts.clear();  // every TTF_Font before TTF_Quit
    if (ttfReady) TTF_Quit();
  }

  const Face& Resolve(const TFont& font) {
    const auto key = std::make_tuple(LowerCase(font.name), font.bold, font.italic);
    auto it = faces.find(key);
    if (it != faces.end()) return it->second;
    Face face;
    if (fontconfigReady) {
      const FamilyRequest request = MapFamily(font.name);
      face = MatchFace(request.family, font.bold ? request.boldWeight : FC_WEIGHT_REGULAR,
                       font.italic, font.bold);
    }
    return faces.emplace(key, face).first->second;
  }

  const Face& Fallback(const TFont& font) {
    const auto key = std::make_pair(font.bold, font.italic);
    auto it = fallbacks.find(key);
    if (it != fallbacks.end()) return it->second;
    Face face;
    if (fontconfigReady)
      face = MatchFace(kFallbackFamily, font.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR, font.italic,
                       font.bold);
    return fallbacks.emplace(key, face).first->second;
  }

  TTF_Font* OpenFace(const Face& face, const TFont& font) {
    if (face.file.empty()) return nullptr;
    int style = TTF_STYLE_NORMAL;
    if (face.syntheticBold) style |= TTF_STYLE_BOLD;
    if (face.syntheticItalic) style |= TTF_STYLE_ITALIC;
    if (font.underline) style |= TTF_STYLE_UNDERLINE;
    const int size = PixelHeight(font);
    const auto key = std::make_tuple(face.file, size, style);
    auto it = fonts.find(key);
    if (it != fonts.end()) return it->second.get();
    // SDL_ttf's point size at its default 72 dpi is the em height in pixels.
    TtfFontPtr opened(TTF_OpenFont(face.file.c_str(), size));
    if (opened) TTF_SetFontStyle(opened.get(), style);
    return fonts.emplace(key, std::move(opened)).first->second.get();
  }

  TTF_Font* Open(const TFont& font) {
    if (!ttfReady) return nullptr;
    if (TTF_Font* f = OpenFace(Resolve(font), font)) return f;
    return OpenFace(Fallback(font), font);
  }
};

FontEngine& FontEngine::Instance() {
  static FontEngine engine;  // construction is thread-safe
  return engine;
}

FontEngine::FontEngine() : impl_(std::make_unique<Impl>()) {}
FontEngine::~FontEngine() = default;

std::string FontEngine::ResolveFile(const TFont& font) { return impl_->Resolve(font).file; }

TextMetrics FontEngine::Metrics(const TFont& font) {
  TTF_Font* f = impl_->Open(font);
  if (f == nullptr) return {};
  return {TTF_FontAscent(f), -TTF_FontDescent(f), TTF_FontHeight(f)};
}

int FontEngine::LineWidth(const TFont& font, std::string_view text) {
  const std::u16string wide = ToTtfText(text);
  if (wide.empty()) return 0;
  TTF_Font* f = impl_->Open(font);
  int w = 0, h = 0;
  if (f == nullptr || TTF_SizeUNICODE(f, TtfChars(wide), &w, &h) != 0) return 0;
  return w;
}

void FontEngine::DrawLine(Bitmap32& target, const Rect& clip, int x, int y, const TFont& font,
                          std::string_view text) {
  const std::u16string wide = ToTtfText(text);
  if (wide.empty()) return;
  TTF_Font* f = impl_->Open(font);
  if (f == nullptr) return;
  const SDL_Color white{0xFF, 0xFF, 0xFF, 0xFF};  // only the coverage is used
  SurfacePtr rendered(TTF_RenderUNICODE_Blended(f, TtfChars(wide), white));
  if (!rendered) return;
  if (rendered->format->format != SDL_PIXELFORMAT_ARGB8888) {
    rendered.reset(SDL_ConvertSurfaceFormat(rendered.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!rendered) return;
  }
  if (int64_t{x} + rendered->w > std::numeric_limits<int>::max() ||
      int64_t{y} + rendered->h > std::numeric_limits<int>::max())
    return;  // wholly outside any bitmap
  const Rect box = Rect::FromSize(x, y, rendered->w, rendered->h);
  const Rect vis = box.Intersect(clip).Intersect(target.Bounds());
  if (vis.IsEmpty()) return;
  if (SDL_MUSTLOCK(rendered.get()) && SDL_LockSurface(rendered.get()) != 0) return;
  const uint32_t color = ColorToPixel(font.color);
  for (int ty = vis.top; ty < vis.bottom; ++ty) {
    const auto* src =
        reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(rendered->pixels) +
                                          static_cast<size_t>(ty - box.top) * rendered->pitch);
    uint32_t* dst = target.Row(ty);
    for (int tx = vis.left; tx < vis.right; ++tx) {
      const uint32_t coverage = PixelA(src[tx - box.left]);
      if (coverage != 0) dst[tx] = BlendCoverage(color, coverage, dst[tx]);
    }
  }
  if (SDL_MUSTLOCK(rendered.get())) SDL_UnlockSurface(rendered.get());
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
