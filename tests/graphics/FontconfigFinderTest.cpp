// Font resolution through fontconfig, the usual finder of builds that have it.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <string>

#include "framework/Fonts.h"
#include "tests/MissingPackage.h"

namespace tazu {
namespace {

// Whether fontconfig knows a family of exactly this name.
bool FamilyInstalled(const char* family) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
  FcFontSet* set = FcFontList(nullptr, pattern, objects);
  const bool found = set != nullptr && set->nfont > 0;
  if (set) FcFontSetDestroy(set);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return found;
}

TFont Font(const std::string& name, bool bold = false, bool italic = false) {
  TFont f;
  f.name = name;
  f.bold = bold;
  f.italic = italic;
  return f;
}

TEST(FontResolution, ArialIsLiberationSans) {
  if (!FamilyInstalled("Liberation Sans"))
    TAZU_SKIP_MISSING_PACKAGE("fonts-liberation2 not installed");
  FontEngine engine;
  EXPECT_NE(engine.ResolveFile(Font("Arial")).find("LiberationSans-Regular"), std::string::npos);
  EXPECT_NE(engine.ResolveFile(Font("arial", true)).find("LiberationSans-Bold"), std::string::npos);
  EXPECT_NE(engine.ResolveFile(Font("Arial", false, true)).find("LiberationSans-Italic"),
            std::string::npos);
  EXPECT_NE(engine.ResolveFile(Font("MS Sans Serif")).find("LiberationSans"), std::string::npos);
}

TEST(FontResolution, CenturyGothicIsUrwGothic) {
  if (!FamilyInstalled("URW Gothic")) TAZU_SKIP_MISSING_PACKAGE("fonts-urw-base35 not installed");
  FontEngine engine;
  const std::string regular = engine.ResolveFile(Font("Century Gothic"));
  const std::string bold = engine.ResolveFile(Font("Century Gothic", true));
  EXPECT_NE(regular.find("URWGothic"), std::string::npos) << regular;
  EXPECT_NE(bold.find("URWGothic-Demi"), std::string::npos) << bold;
  TFont font = Font("Century Gothic", true);
  font.height = 20;
  EXPECT_GT(engine.LineWidth(font, "Gaan uit"), 0);
}

}  // namespace
}  // namespace tazu
