#include "controls/ShapeHint.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "controls/AppServices.h"
#include "controls/ShapeHintWindow.h"
#include "framework/HintWindow.h"

namespace tazu {
namespace {

// The classic hint font: "MS Sans Serif" at 8 points, 11 pixels at 96 pixels per inch.
constexpr int kDefaultFontHeight = 11;

constexpr TColor kScreenHintColor = RGBColor(255, 255, 204);
constexpr int kScreenHintFontHeight = 16;
constexpr TColor kScreenShadowColor = RGBColor(255, 255, 185);
constexpr int kScreenShadowDepth = 0;

// The application's services if they exist already: a component that is going must
// not bring them into being.
TAppServices* FindServices(TApplication& app) {
  for (TComponent* c : app.Components()) {
    if (auto* services = dynamic_cast<TAppServices*>(c)) return services;
  }
  return nullptr;
}

}  // namespace

void TShadow::SetDepth(int value) { depth_ = std::clamp(value, kMinDepth, kMaxDepth); }

// ---- TCustomHint ----

TCustomHint::TCustomHint(TComponent* owner)
    : TComponent(owner),
      font_{.name = "MS Sans Serif", .height = kDefaultFontHeight, .color = clInfoText},
      hintWindowClass_([](TApplication& app) { return std::make_unique<THintWindow>(app); }) {}

int TCustomHint::TextWidthLimit(int screenWidth) const {
  // In 64 bits: the most negative int has no negation in 32.
  const int64_t limit = maxWidth_ >= 0 ? maxWidth_ : int64_t{screenWidth} / -int64_t{maxWidth_};
  return static_cast<int>(std::max<int64_t>(limit, 1));
}

void TCustomHint::Loaded() { SetEnabled(enabled_); }

void TCustomHint::SetEnabled(bool value) {
  enabled_ = value;
  TApplication* app = Application();
  if (app == nullptr) return;
  if (value) {
    app->SetHintWindowClass(hintWindowClass_);
  } else {
    app->SetHintWindowClass([](TApplication& a) { return std::make_unique<THintWindow>(a); });
  }
  // Off and on again: the next hint comes in a window of the new class.
  app->SetShowHint(false);
  app->SetShowHint(true);
}

// ---- TCustomShapeHint ----

TCustomShapeHint::TCustomShapeHint(TComponent* owner) : TCustomHint(owner) {}

// ---- TShapeHint ----

TShapeHint::TShapeHint(TComponent* owner) : TCustomShapeHint(owner) {
  SetHintWindowClass([](TApplication& app) { return std::make_unique<TShapeHintWindow>(app); });
}

TShapeHint::~TShapeHint() { Unregister(); }

void TShapeHint::SetEnabled(bool value) {
  TCustomShapeHint::SetEnabled(value);
  TApplication* app = Application();
  if (app == nullptr) return;
  if (value) {
    Register();
  } else if (Active(*app) == this) {
    ClearRegistry();
  } else {
    Unregister();
  }
}

TShapeHint* TShapeHint::Active(TApplication& app) {
  TAppServices* services = FindServices(app);
  return services != nullptr ? services->ActiveShapeHint : nullptr;
}

void TShapeHint::Register() {
  Unregister();
  TAppServices& services = TAppServices::Of(*this);
  previous_ = services.ActiveShapeHint;
  services.ActiveShapeHint = this;
}

// Takes this one out of the chain of active and earlier shape hints; when it was the
// active one, the one before it becomes active.
void TShapeHint::Unregister() {
  TApplication* app = Application();
  TAppServices* services = app != nullptr ? FindServices(*app) : nullptr;
  if (services != nullptr) {
    TShapeHint** link = &services->ActiveShapeHint;
    while (*link != nullptr && *link != this) link = &(*link)->previous_;
    if (*link == this) *link = previous_;
  }
  previous_ = nullptr;
}

void TShapeHint::ClearRegistry() {
  TAppServices* services = FindServices(*Application());
  if (services == nullptr) return;
  TShapeHint* hint = services->ActiveShapeHint;
  services->ActiveShapeHint = nullptr;
  while (hint != nullptr) hint = std::exchange(hint->previous_, nullptr);
}

void SetScreenHintLook(TCustomShapeHint& hint) {
  hint.SetColor(kScreenHintColor);
  hint.SetFont(
      {.name = "Arial", .height = kScreenHintFontHeight, .bold = true, .color = clInfoText});
  hint.Shadow().SetColor(kScreenShadowColor);
  hint.Shadow().SetDepth(kScreenShadowDepth);
}

}  // namespace tazu
