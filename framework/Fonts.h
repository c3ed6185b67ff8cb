// Finds installed fonts for the names the layouts use (see FontFinder.h) and
// measures and renders text with them through FreeType. Text is ANSI
// (Windows-1252) bytes.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Graphics.h"
#include "platform/Pixels.h"

namespace tazu {

struct TextMetrics {
  int ascent = 0;
  int descent = 0;
  int lineHeight = 0;  // distance from one line to the next
};

// Fonts are opened on first use and kept for the engine's life; the application owns
// the one its forms draw with.
class FontEngine {
 public:
  FontEngine();
  ~FontEngine();
  FontEngine(const FontEngine&) = delete;
  FontEngine& operator=(const FontEngine&) = delete;

  // The font file that `font` resolves to (for diagnostics and tests).
  std::string ResolveFile(const TFont& font);
  TextMetrics Metrics(const TFont& font);
  // Advance width of a single line of text (no line breaks are interpreted).
  int LineWidth(const TFont& font, std::string_view text);
  // Renders one line with its top-left at (x, y) of `target`, in font.color, clipped to
  // `clip` (target coordinates), anti-aliased over what is there.
  void DrawLine(Bitmap32& target, const Rect& clip, int x, int y, const TFont& font,
                std::string_view text);

  // Fonts come from fontconfig where the build has it, else from the folders named by
  // TAZU_FONT_FOLDERS (';'-separated) or the Windows font folder; from now on only from
  // `folders` (not their sub-folders). Fonts opened so far are let go.
  void SetFontFolders(std::vector<std::string> folders);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Windows-1252 to Unicode code points (unassigned bytes map to themselves).
std::u16string AnsiToUtf16(std::string_view text);
// UTF-8 (as keyboards deliver it) to Windows-1252; characters outside it are dropped.
std::string Utf8ToAnsi(std::string_view text);

}  // namespace tazu
