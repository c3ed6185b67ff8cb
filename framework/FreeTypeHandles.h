// Owning handles of FreeType's library and faces, so every path gives them back.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>

namespace tazu {

struct FreeTypeLibraryDeleter {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
using FreeTypeLibraryPtr = std::unique_ptr<FT_LibraryRec_, FreeTypeLibraryDeleter>;

struct FreeTypeFaceDeleter {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using FreeTypeFacePtr = std::unique_ptr<FT_FaceRec_, FreeTypeFaceDeleter>;

}  // namespace tazu
