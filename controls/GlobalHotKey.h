// A system-wide hot key: the combination is taken from every other program for as long
// as the component is active and has one, and pressing it calls OnKeyDown.
#pragma once

#include <cstdint>

#include "framework/Component.h"
#include "framework/Control.h"
#include "platform/Platform.h"

namespace tazu {

// A key combination: the low byte is the virtual key, the high bits the modifiers.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut kShortCutKeyMask = 0x00FF;

// The key and shift state (ssShift, ssCtrl, ssAlt) of a combination.
void ShortCutToKey(TShortCut shortCut, int& key, unsigned& shift);
// The hot-key modifiers (MOD_ALT, MOD_CONTROL, MOD_SHIFT) of a shift state.
unsigned HotKeyModifiersOf(unsigned shift);

class TGlobalHotKey : public TComponent {
 public:
  explicit TGlobalHotKey(TComponent* owner);
  ~TGlobalHotKey() override;

  bool Active() const { return active_; }
  // Registers the combination again when turned on, releases it when turned off.
  void SetActive(bool value);
  TShortCut HotKey() const { return hotKey_; }
  // Registers a new non-zero combination (the old one stays registered under the same
  // identifier); 0 releases whatever the identifier holds.
  void SetHotKey(TShortCut value);
  TKeyEvent OnKeyDown;

  // The hot-key identifier, unique in the process and fixed for the component's life.
  // (Windows makes it a global atom from the component's address; here the
  // application's services hand out the identifiers, which serves the same purpose.)
  uint32_t Identifier() const { return id_; }

 private:
  void Register(TShortCut shortCut);
  void Unregister();
  void KeyPressed(const Event& event);

  bool active_ = true;
  TShortCut hotKey_ = 0;
  uint32_t id_ = 0;
  int handlerToken_ = 0;
};

}  // namespace tazu
