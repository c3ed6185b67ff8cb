// The message-based timer: ticks arrive through the message loop of the UI thread.
#pragma once

#include <cstdint>

#include "framework/Component.h"
#include "platform/Platform.h"

namespace tazu {

class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  uint32_t Interval() const { return interval_; }
  // Restarts the count when the timer runs; 0 stops the ticks until changed.
  void SetInterval(uint32_t ms);

  // Like the window timers it stands on, a timer without a handler does not run.
  void SetOnTimer(TNotifyEvent handler);
  const TNotifyEvent& OnTimer() const { return onTimer_; }

  // A tick arrived from the loop.
  void Fire();

 private:
  void UpdateTimer();

  bool enabled_ = true;
  uint32_t interval_ = 1000;
  TimerHandle handle_ = 0;
  TNotifyEvent onTimer_;
};

}  // namespace tazu
