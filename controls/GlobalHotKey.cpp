#include "controls/GlobalHotKey.h"

#include "controls/AppServices.h"
#include "framework/Application.h"

namespace tazu {

void ShortCutToKey(TShortCut shortCut, int& key, unsigned& shift) {
  key = shortCut & kShortCutKeyMask;
  shift = 0;
  if (shortCut & scShift) shift |= ssShift;
  if (shortCut & scCtrl) shift |= ssCtrl;
  if (shortCut & scAlt) shift |= ssAlt;
}

unsigned HotKeyModifiersOf(unsigned shift) {
  unsigned modifiers = 0;
  if (shift & ssAlt) modifiers |= MOD_ALT;
  if (shift & ssCtrl) modifiers |= MOD_CONTROL;
  if (shift & ssShift) modifiers |= MOD_SHIFT;
  return modifiers;
}

TGlobalHotKey::TGlobalHotKey(TComponent* owner) : TComponent(owner) {
  id_ = TAppServices::Of(*this).NewHotKeyId();
  handlerToken_ = Application()->AddEventHandler(EventKind::HotKey,
                                                 [this](const Event& event) { KeyPressed(event); });
}

TGlobalHotKey::~TGlobalHotKey() {
  SetHotKey(0);
  Application()->RemoveEventHandler(handlerToken_);
}

void TGlobalHotKey::SetHotKey(TShortCut value) {
  if (value == hotKey_) return;
  if (active_) {
    if (value != 0) {
      Register(value);
    } else {
      Unregister();
    }
  }
  hotKey_ = value;
}

void TGlobalHotKey::SetActive(bool value) {
  if (value == active_) return;
  active_ = value;
  // Nothing to register while there is no combination.
  if (hotKey_ == 0) return;
  if (active_) {
    Register(hotKey_);
  } else {
    Unregister();
  }
}

void TGlobalHotKey::Register(TShortCut shortCut) {
  int key = 0;
  unsigned shift = 0;
  ShortCutToKey(shortCut, key, shift);
  // A combination another program holds stays unregistered; nothing is reported.
  Application()->GetPlatform().RegisterHotKey(id_, HotKeyModifiersOf(shift), key);
}

void TGlobalHotKey::Unregister() { Application()->GetPlatform().UnregisterHotKey(id_); }

void TGlobalHotKey::KeyPressed(const Event& event) {
  if (event.id != id_ || !OnKeyDown) return;
  int key = 0;
  unsigned shift = 0;
  ShortCutToKey(hotKey_, key, shift);
  try {
    OnKeyDown(this, key, shift);
  } catch (const std::exception& error) {
    Application()->HandleException(error);
  }
}

}  // namespace tazu
