// The folder finder: every .ttf, .otf and .ttc file of the given folders is opened
// once with FreeType (on the first request) to learn its family, slant, weight and
// width; requests are then answered from that list. Files FreeType cannot read are
// skipped. Only FreeType and the portable path helpers are used, so the same code
// serves Windows' font folder and test folders on any system.
#include "framework/FontFinder.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cstdlib>
#include <tuple>
#include <utility>

#include "base/Paths.h"
#include "base/Text.h"
#include "framework/FreeTypeHandles.h"

namespace tazu {

namespace {

constexpr std::array<std::string_view, 3> kFontMasks = {"*.ttf", "*.otf", "*.ttc"};
constexpr std::array<std::string_view, 4> kFallbackFamilies = {"Arial", "Liberation Sans", "Tahoma",
                                                               "DejaVu Sans"};
constexpr char kFontsFolderName[] = "Fonts";
constexpr char kFolderListSeparator = ';';
constexpr char kPathSeparator = '\\';  // the path helpers turn it into the host's separator

// Collections hold a handful of faces; a damaged count must not make the scan crawl.
constexpr FT_Long kMaxFacesPerFile = 64;
// OS/2 weight and width classes.
constexpr int kRegularWeight = 400;
constexpr int kBoldWeight = 700;
constexpr int kLightestBoldWeight = 600;  // Demi counts as bold, as with fontconfig
constexpr int kMaxWeight = 1000;
constexpr int kOldStyleWeightLimit = 10;  // some old fonts give 1..9 for 100..900
constexpr int kOldStyleWeightScale = 100;
constexpr int kNormalWidthClass = 5;
constexpr int kMaxWidthClass = 9;

// What the scan keeps of one face.
struct ScannedFace {
  std::string file;
  FT_Long index = 0;
  std::string family;
  bool italic = false;
  bool unicode = false;  // has a Unicode character map (symbol fonts do not)
  int weight = kRegularWeight;
  int widthClass = kNormalWidthClass;

  bool Bold() const { return weight >= kLightestBoldWeight; }
};

const TT_OS2* Os2Table(FT_Face face) {
  return static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
}

int FaceWeight(FT_Face face) {
  const bool flagged = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  int weight = flagged ? kBoldWeight : kRegularWeight;
  const TT_OS2* os2 = Os2Table(face);
  if (os2 != nullptr && os2->usWeightClass > 0 && os2->usWeightClass <= kMaxWeight) {
    weight = os2->usWeightClass;
    if (weight < kOldStyleWeightLimit) weight *= kOldStyleWeightScale;
  }
  return flagged ? std::max(weight, kLightestBoldWeight) : weight;
}

int FaceWidthClass(FT_Face face) {
  const TT_OS2* os2 = Os2Table(face);
  if (os2 == nullptr || os2->usWidthClass < 1 || os2->usWidthClass > kMaxWidthClass)
    return kNormalWidthClass;
  return os2->usWidthClass;
}

ScannedFace Describe(FT_Face face, const std::string& file, FT_Long index) {
  ScannedFace scanned;
  scanned.file = file;
  scanned.index = index;
  scanned.family = face->family_name;
  scanned.italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  scanned.unicode = face->charmap != nullptr && face->charmap->encoding == FT_ENCODING_UNICODE;
  scanned.weight = FaceWeight(face);
  scanned.widthClass = FaceWidthClass(face);
  return scanned;
}

// Adds every readable face of one file (several for a collection).
void ScanFile(FT_Library library, const std::string& file, std::vector<ScannedFace>& out) {
  FT_Long count = 1;
  for (FT_Long index = 0; index < count && index < kMaxFacesPerFile; ++index) {
    FT_Face raw = nullptr;
    if (FT_New_Face(library, file.c_str(), index, &raw) != 0) {
      if (index == 0) return;  // not a font file FreeType can read
      continue;
    }
    const FreeTypeFacePtr face(raw);
    if (index == 0) count = face->num_faces;
    if (face->family_name != nullptr && face->family_name[0] != '\0')
      out.push_back(Describe(face.get(), file, index));
  }
}

bool IsFontFileName(std::string_view name) {
  return std::any_of(kFontMasks.begin(), kFontMasks.end(),
                     [&](std::string_view mask) { return MatchesMask(name, mask); });
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += kPathSeparator;
  return path + std::string(name);
}

// The families to look for, in order, before the general fallbacks.
std::vector<std::string> FamilyCandidates(const std::string& family) {
  if (SameText(family, "MS Sans Serif")) return {"Arial"};
  if (SameText(family, "Century Gothic")) return {family, "URW Gothic"};
  return {family};
}

// Lower is better: a face the request can use as it is comes first, then one that
// needs synthetic styles; among equals the normal width and the nearest weight win.
auto Score(const ScannedFace& face, bool bold, bool italic) {
  int slant = 0;
  if (face.italic != italic) slant = italic ? 1 : 2;  // an italic face cannot be made upright
  const int wantWeight = bold ? kBoldWeight : kRegularWeight;
  return std::make_tuple(!face.unicode, slant, face.Bold() != bold,
                         std::abs(face.widthClass - kNormalWidthClass),
                         std::abs(face.weight - wantWeight));
}

class FolderFontFinder final : public FontFinder {
 public:
  explicit FolderFontFinder(std::vector<std::string> folders) : folders_(std::move(folders)) {}

  FontFile Find(const std::string& family, bool bold, bool italic) override {
    for (const std::string& name : FamilyCandidates(family))
      if (const ScannedFace* face = Best(name, bold, italic)) return Choose(*face, bold, italic);
    return Fallback(bold, italic);
  }

  FontFile Fallback(bool bold, bool italic) override {
    for (std::string_view name : kFallbackFamilies)
      if (const ScannedFace* face = Best(name, bold, italic)) return Choose(*face, bold, italic);
    if (const ScannedFace* face = Best({}, bold, italic)) return Choose(*face, bold, italic);
    return {};
  }

 private:
  std::vector<std::string> folders_;
  bool scanned_ = false;
  std::vector<ScannedFace> faces_;

  static FontFile Choose(const ScannedFace& face, bool bold, bool italic) {
    return {face.file, face.index, bold && !face.Bold(), italic && !face.italic};
  }

  // The best face of `family`, or of any family when it is empty; null when none.
  const ScannedFace* Best(std::string_view family, bool bold, bool italic) {
    Scan();
    const ScannedFace* best = nullptr;
    for (const ScannedFace& face : faces_) {
      if (!family.empty() && !SameText(face.family, family)) continue;
      if (best == nullptr || Score(face, bold, italic) < Score(*best, bold, italic)) best = &face;
    }
    return best;
  }

  void Scan() {
    if (scanned_) return;
    scanned_ = true;
    FT_Library raw = nullptr;
    if (FT_Init_FreeType(&raw) != 0) return;
    const FreeTypeLibraryPtr library(raw);
    for (const std::string& folder : folders_) {
      if (folder.empty()) continue;  // would list the current folder
      std::vector<std::string> names = FindFiles(folder, "*");
      std::sort(names.begin(), names.end());  // the same choice on every run
      for (const std::string& name : names)
        if (IsFontFileName(name))
          ScanFile(library.get(), ResolvePath(JoinPath(folder, name)), faces_);
    }
  }
};

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

}  // namespace

std::unique_ptr<FontFinder> MakeFolderFontFinder(std::vector<std::string> folders) {
  return std::make_unique<FolderFontFinder>(std::move(folders));
}

std::unique_ptr<FontFinder> MakeDefaultFontFinder() {
#if TAZU_HAVE_FONTCONFIG
  return MakeFontconfigFinder();
#else
  return MakeFolderFontFinder(FontFoldersFromEnvironment());
#endif
}

std::vector<std::string> FontFoldersFrom(std::string_view folderList, std::string_view windowsDir,
                                         std::string_view systemRoot) {
  std::vector<std::string> folders;
  auto add = [&](std::string folder) {
    if (folder.empty()) return;
    for (const std::string& known : folders)
      if (SameText(known, folder)) return;
    folders.push_back(std::move(folder));
  };
  size_t start = 0;
  while (start < folderList.size()) {
    size_t end = folderList.find(kFolderListSeparator, start);
    if (end == std::string_view::npos) end = folderList.size();
    add(std::string(folderList.substr(start, end - start)));
    start = end + 1;
  }
  if (!folders.empty()) return folders;
  if (!windowsDir.empty()) add(JoinPath(windowsDir, kFontsFolderName));
  if (!systemRoot.empty()) add(JoinPath(systemRoot, kFontsFolderName));
  return folders;
}

std::vector<std::string> FontFoldersFromEnvironment() {
  return FontFoldersFrom(Environment("TAZU_FONT_FOLDERS"), Environment("WINDIR"),
                         Environment("SystemRoot"));
}

}  // namespace tazu
