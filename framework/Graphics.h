// Colours, fonts, brushes and pens as the screens' layouts describe them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/Pixels.h"

namespace tazu {

// Colours are 0x00BBGGRR like the layouts store them (red in the low byte).
using TColor = uint32_t;

constexpr TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) {
  return TColor{r} | (TColor{g} << 8) | (TColor{b} << 16);
}
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clGreen = 0x008000;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
// System colours, resolved to the classic Windows scheme.
constexpr TColor clBtnFace = 0xF0F0F0;
constexpr TColor clBtnShadow = 0xA0A0A0;
constexpr TColor clBtnHighlight = 0xFFFFFF;
constexpr TColor clInfoBk = 0xE1FFFF;
constexpr TColor clInfoText = 0x000000;
constexpr TColor clWindow = 0xFFFFFF;
constexpr TColor clWindowText = 0x000000;

constexpr uint32_t ColorToPixel(TColor c) {
  return MakePixel(static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8),
                   static_cast<uint8_t>(c >> 16));
}
constexpr TColor PixelToColor(uint32_t p) { return RGBColor(PixelR(p), PixelG(p), PixelB(p)); }

struct TFont {
  std::string name = "Arial";
  int height = 13;  // character (em) height in pixels
  bool bold = false;
  bool italic = false;
  bool underline = false;
  TColor color = clBlack;
  friend bool operator==(const TFont&, const TFont&) = default;
};

enum class TBrushStyle { Solid, Clear, Pattern };

struct TBrush {
  TColor color = clWhite;
  TBrushStyle style = TBrushStyle::Solid;
  // 8x8 pattern for TBrushStyle::Pattern: one byte per row, bit 7 the leftmost pixel.
  // A set bit paints `color`; a clear bit paints `patternBackground`, or leaves the
  // pixel alone when `patternMask` is true (mask mode).
  std::array<uint8_t, 8> pattern{};
  TColor patternBackground = clWhite;
  bool patternMask = false;
};

struct TPen {
  TColor color = clBlack;
  int width = 1;
  bool clear = false;  // no outline
};

}  // namespace tazu
