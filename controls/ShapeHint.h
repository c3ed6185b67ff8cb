// The shape hint: a non-visual component that turns the application's pop-up hints
// into speech balloons in its own colours and font. Enabling it installs the balloon
// window class (TShapeHintWindow) as the application's hint-window class and makes
// this component the active shape hint whose settings that window draws with.
//
// Which shape hint is active is kept on the application's TAppServices, never in a
// global. The last one enabled is active. The registry remembers, through each
// component's link to the one that was active before it, the earlier components that
// are still enabled: when the active component is destroyed, the one active before it
// (if still alive and enabled) becomes active again. So the menu screen's hints keep
// their balloon after the intro screen, whose component took over while it lived,
// has gone. Disabling the active component clears the active shape hint (hints then
// take the plain path) and forgets that history.
#pragma once

#include "framework/Application.h"
#include "framework/Component.h"
#include "framework/Graphics.h"

namespace tazu {

enum class THintPosition { hpAboveLeft, hpAboveRight, hpBelowLeft, hpBelowRight };

enum class THintStyle {
  hsRect,
  hsRoundRect,
  hsEllipse,
  hsNoseRect,
  hsNoseRoundRect,
  hsNoseEllipse
};

enum class TShadowStyle { hssNone, hssSolid, hssTracing };

// Raised, sunken and shadowed text are drawn as copies of the text one or two pixels
// off in the highlight or shadow colour beneath the text itself.
enum class T3DStyle { tdNone, tdRaised, tdSunken, tdShadowed };

class TShadow {
 public:
  static constexpr int kMinDepth = 0;
  static constexpr int kMaxDepth = 40;
  static constexpr int kDefaultDepth = 6;

  TColor Color() const { return color_; }
  void SetColor(TColor value) { color_ = value; }
  // Pixels the shadow lies off the balloon to the right and down.
  int Depth() const { return depth_; }
  // Clamped to kMinDepth..kMaxDepth.
  void SetDepth(int value);
  TShadowStyle Style() const { return style_; }
  void SetStyle(TShadowStyle value) { style_ = value; }

  friend bool operator==(const TShadow&, const TShadow&) = default;

 private:
  TColor color_ = clBtnShadow;
  int depth_ = kDefaultDepth;
  TShadowStyle style_ = TShadowStyle::hssSolid;
};

class T3DCaption {
 public:
  T3DStyle Style() const { return style_; }
  void SetStyle(T3DStyle value) { style_ = value; }
  TColor HighlightColor() const { return highlight_; }
  void SetHighlightColor(TColor value) { highlight_ = value; }
  TColor ShadowColor() const { return shadow_; }
  void SetShadowColor(TColor value) { shadow_ = value; }

  friend bool operator==(const T3DCaption&, const T3DCaption&) = default;

 private:
  T3DStyle style_ = T3DStyle::tdNone;
  TColor highlight_ = clBtnHighlight;
  TColor shadow_ = clBtnShadow;
};

// Font, colour, width limit, the enabled flag and the hint-window class it installs.
class TCustomHint : public TComponent {
 public:
  static constexpr int kDefaultMaxWidth = -4;

  explicit TCustomHint(TComponent* owner);

  // The owned font; SetFont copies the given values.
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& value) { font_ = value; }
  TColor Color() const { return color_; }
  void SetColor(TColor value) { color_ = value; }
  // Positive: the widest text line in pixels; -n: the screen width divided by n.
  int MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(int value) { maxWidth_ = value; }
  // The width limit MaxWidth gives on a screen `screenWidth` pixels wide (at least 1).
  int TextWidthLimit(int screenWidth) const;

  // Installs the hint-window class again with the stored Enabled.
  void Loaded() override;

 protected:
  bool Enabled() const { return enabled_; }
  // Stores the value, installs this hint's window class when true (the plain one when
  // false) and has the application recreate its hint window with it.
  virtual void SetEnabled(bool value);
  void SetHintWindowClass(THintWindowClass factory) { hintWindowClass_ = std::move(factory); }

 private:
  TFont font_;
  TColor color_ = clInfoBk;
  int maxWidth_ = kDefaultMaxWidth;
  bool enabled_ = true;
  THintWindowClass hintWindowClass_;
};

// Shape, position, border, shadow and the 3D text style.
class TCustomShapeHint : public TCustomHint {
 public:
  explicit TCustomShapeHint(TComponent* owner);

  TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(TColor value) { borderColor_ = value; }
  T3DCaption& Font3D() { return font3D_; }
  const T3DCaption& Font3D() const { return font3D_; }
  void SetFont3D(const T3DCaption& value) { font3D_ = value; }
  // Where the balloon goes first, relative to the pointer.
  THintPosition Position() const { return position_; }
  void SetPosition(THintPosition value) { position_ = value; }
  TShadow& Shadow() { return shadow_; }
  const TShadow& Shadow() const { return shadow_; }
  void SetShadow(const TShadow& value) { shadow_ = value; }
  THintStyle Style() const { return style_; }
  void SetStyle(THintStyle value) { style_ = value; }

 private:
  TColor borderColor_ = clBlack;
  T3DCaption font3D_;
  THintPosition position_ = THintPosition::hpAboveRight;
  TShadow shadow_;
  THintStyle style_ = THintStyle::hsNoseRoundRect;
};

class TShapeHint : public TCustomShapeHint {
 public:
  explicit TShapeHint(TComponent* owner);
  // Gives the balloon back to the shape hint that was active before this one.
  ~TShapeHint() override;

  using TCustomHint::Enabled;
  // Acts every time it is set, also to the same value: true makes this the active
  // shape hint (the last one enabled wins).
  void SetEnabled(bool value) override;

  // The active shape hint of `app`, or null.
  static TShapeHint* Active(TApplication& app);

 private:
  void Register();
  void Unregister();
  void ClearRegistry();

  // The shape hint that was active when this one became active.
  TShapeHint* previous_ = nullptr;
};

// The look both screens give their shape hint: pale yellow fill, bold 16-pixel Arial
// in the hint-text colour, a pale shadow of depth 0.
void SetScreenHintLook(TCustomShapeHint& hint);

}  // namespace tazu
