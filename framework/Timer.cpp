#include "framework/Timer.h"

#include "framework/Application.h"

namespace tazu {

TTimer::TTimer(TComponent* owner) : TComponent(owner) { UpdateTimer(); }

TTimer::~TTimer() {
  enabled_ = false;
  UpdateTimer();
}

void TTimer::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  UpdateTimer();
}

void TTimer::SetInterval(uint32_t ms) {
  if (ms == interval_) return;
  interval_ = ms;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  TApplication* app = Application();
  if (app == nullptr) return;
  if (handle_ != 0) {
    app->GetPlatform().StopTimer(handle_);
    app->TimerStopped(handle_);
    handle_ = 0;
  }
  if (enabled_ && interval_ != 0 && onTimer_) {
    handle_ = app->GetPlatform().StartTimer(interval_);
    app->TimerStarted(handle_, this);
  }
}

void TTimer::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TTimer::Fire() {
  if (enabled_ && onTimer_) onTimer_(this);
}

}  // namespace tazu
