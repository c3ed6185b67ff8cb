// The fontconfig finder, built only where fontconfig is: "Arial" and "MS Sans Serif"
// resolve through fontconfig's own aliases (Liberation Sans where installed);
// "Century Gothic" is asked for as "URW Gothic" (Demi for bold), its metric-compatible
// stand-in, because fontconfig would otherwise pick DejaVu Sans for it.
#include <fontconfig/fontconfig.h>

#include "base/Text.h"
#include "framework/FontFinder.h"

namespace tazu {

namespace {

constexpr char kFallbackFamily[] = "sans-serif";

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

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

// fontconfig's best match; the styles the matched face lacks become synthetic.
FontFile MatchFace(const std::string& family, int weight, bool italic, bool bold) {
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
  int index = 0;
  int gotWeight = FC_WEIGHT_REGULAR;
  int gotSlant = FC_SLANT_ROMAN;
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
  FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &gotWeight);
  FcPatternGetInteger(match.get(), FC_SLANT, 0, &gotSlant);
  return {reinterpret_cast<const char*>(file), index, bold && gotWeight < FC_WEIGHT_DEMIBOLD,
          italic && gotSlant == FC_SLANT_ROMAN};
}

class FontconfigFinder final : public FontFinder {
 public:
  FontconfigFinder() : ready_(FcInit() == FcTrue) {}

  FontFile Find(const std::string& family, bool bold, bool italic) override {
    if (!ready_) return {};
    const FamilyRequest request = MapFamily(family);
    return MatchFace(request.family, bold ? request.boldWeight : FC_WEIGHT_REGULAR, italic, bold);
  }

  FontFile Fallback(bool bold, bool italic) override {
    if (!ready_) return {};
    return MatchFace(kFallbackFamily, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR, italic, bold);
  }

 private:
  bool ready_;
};

}  // namespace

std::unique_ptr<FontFinder> MakeFontconfigFinder() { return std::make_unique<FontconfigFinder>(); }

}  // namespace tazu
