// Finding the font file for a layout's font name. Two finders share one interface:
// fontconfig (where the build has it) and a scan of font folders with FreeType
// (Windows, or any build without fontconfig, or when folders are named explicitly).
// The mapping of the layouts' Windows font names to installed stand-ins lives here.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tazu {

// A face in a font file and the styles the renderer has to fake because the face
// lacks them. An empty file means nothing was found.
struct FontFile {
  std::string file;
  long index = 0;  // face within a collection (.ttc)
  bool syntheticBold = false;
  bool syntheticItalic = false;
  friend bool operator==(const FontFile&, const FontFile&) = default;
};

class FontFinder {
 public:
  virtual ~FontFinder() = default;
  // The face for a layout's family name in the asked style, or a stand-in.
  virtual FontFile Find(const std::string& family, bool bold, bool italic) = 0;
  // A plain sans face, for when the face Find gave cannot be opened.
  virtual FontFile Fallback(bool bold, bool italic) = 0;
};

// Scans `folders` (not their sub-folders) for .ttf, .otf and .ttc files on first use.
// Families are compared without regard to case; "MS Sans Serif" is asked as "Arial",
// "Century Gothic" also as "URW Gothic"; an unknown family falls back through Arial,
// Liberation Sans, Tahoma and DejaVu Sans to any face found.
std::unique_ptr<FontFinder> MakeFolderFontFinder(std::vector<std::string> folders);

// fontconfig's best match; only in builds with fontconfig.
std::unique_ptr<FontFinder> MakeFontconfigFinder();

// fontconfig where the build has it, else the folders from the environment.
std::unique_ptr<FontFinder> MakeDefaultFontFinder();

// Folders from a ';'-separated list (empty items dropped) or, when the list is empty,
// the "Fonts" folders under the Windows and system-root folders given (either may be
// empty; the same folder is listed once).
std::vector<std::string> FontFoldersFrom(std::string_view folderList, std::string_view windowsDir,
                                         std::string_view systemRoot);
// FontFoldersFrom with TAZU_FONT_FOLDERS, WINDIR and SystemRoot.
std::vector<std::string> FontFoldersFromEnvironment();

}  // namespace tazu
