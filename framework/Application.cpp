#include "framework/Application.h"

#include <algorithm>

#include "base/Exceptions.h"
#include "framework/Dialogs.h"
#include "framework/Form.h"
#include "framework/HintWindow.h"
#include "framework/MediaPlayer.h"
#include "framework/Timer.h"

namespace tazu {
namespace {

// Vertical distance from the pointer's hot spot to a hint below it.
constexpr int kHintOffsetY = 20;

// The part of a hint before '|' (the long part is for status lines).
std::string ShortHint(const std::string& hint) { return hint.substr(0, hint.find('|')); }

}  // namespace

TApplication::TApplication(std::unique_ptr<Platform> platform)
    : TComponent(this), platform_(std::move(platform)), uiThread_(std::this_thread::get_id()) {
  hintWindowClass_ = [](TApplication& app) { return std::make_unique<THintWindow>(app); };
}

TApplication::~TApplication() {
  {
    std::lock_guard lock(syncMutex_);
    syncClosed_ = true;
  }
  CancelSynchronize(nullptr);
  hintWindow_.reset();
  if (hintTimer_ != 0) platform_->StopTimer(hintTimer_);
  FreeReleased();
  DestroyComponents();
}

// ---- the loop ----

void TApplication::Run() {
  // Other copies of the program find this one by the application's title.
  platform_->SetApplicationTitle(Title);
  if (mainForm_ != nullptr && !terminated_) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::HandleMessage() {
  Event event;
  if (!platform_->WaitEvent(event, 0)) {
    // Idle: show what changed, serve the hand-overs, then wait.
    CheckSynchronize();
    PaintPending();
    if (terminated_ || !platform_->WaitEvent(event, -1)) return;
  }
  DispatchSafely(event);
  CheckSynchronize();
  FreeReleased();
}

void TApplication::ProcessMessages() {
  Event event;
  while (platform_->WaitEvent(event, 0)) {
    DispatchSafely(event);
    CheckSynchronize();
    FreeReleased();
    if (terminated_) break;
  }
  CheckSynchronize();
  PaintPending();
}

void TApplication::Terminate() {
  terminated_ = true;
  platform_->Wake();
}

void TApplication::DispatchSafely(const Event& event) {
  try {
    Dispatch(event);
  } catch (const std::exception& e) {
    HandleException(e);
  }
}

void TApplication::Dispatch(const Event& event) {
  switch (event.kind) {
    case EventKind::Wake:
      return;
    case EventKind::Timer: {
      if (event.timer == hintTimer_ && hintTimer_ != 0) {
        HintTimerFired();
        return;
      }
      auto it = timers_.find(event.timer);
      if (it != timers_.end()) it->second->Fire();
      return;
    }
    case EventKind::MusicNotify:
      // The platform has one music player, so the notice is for whichever player is open.
      for (TMediaPlayer* player : std::vector<TMediaPlayer*>(mediaPlayers_)) {
        if (player->IsOpen()) player->Notify();
      }
      return;
    case EventKind::ActivateRequest:
      if (mainForm_ != nullptr && mainForm_->Visible()) {
        // A modal form showing (the intro, a message box) must stay above the main form,
        // or the child would face a form that takes no input.
        TForm* modal = nullptr;
        for (TForm* form : zOrder_) {
          if (form != mainForm_ && form->Modal() && form->Visible()) modal = form;
        }
        mainForm_->SetWindowState(TWindowState::wsNormal);
        mainForm_->BringToFront();
        if (modal != nullptr) modal->BringToFront();
      }
      return;
    case EventKind::HotKey:
    case EventKind::MixerLineChange:
    case EventKind::MixerControlChange: {
      std::vector<TEventHandler> handlers;
      for (const auto& entry : eventHandlers_) {
        if (entry.kind == event.kind) handlers.push_back(entry.handler);
      }
      for (const auto& handler : handlers) handler(event);
      return;
    }
    case EventKind::CloseRequest:
      if (event.window == 0) {
        if (mainForm_ != nullptr) mainForm_->Close();
        return;
      }
      break;
    default:
      break;
  }
  for (TForm* form : forms_) {
    if (form->Handle() == event.window) {
      form->HandleEvent(event);
      return;
    }
  }
}

void TApplication::PaintPending() {
  for (TForm* form : forms_) form->Update();
}

void TApplication::ReleaseForm(TForm* form) {
  if (std::find(released_.begin(), released_.end(), form) == released_.end()) {
    released_.push_back(form);
  }
  platform_->Wake();
}

void TApplication::FreeReleased() {
  while (!released_.empty()) {
    TForm* form = released_.back();
    released_.pop_back();
    TComponent::Free(form);
  }
}

// ---- errors ----

void TApplication::HandleException(const std::exception& error) {
  if (dynamic_cast<const EAbort*>(&error) != nullptr) return;
  if (OnException) {
    OnException(this, error);
  } else {
    ShowException(error);
  }
}

void TApplication::ShowException(const std::exception& error) {
  std::string message = error.what();
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') message += '.';
  MessageBoxRequest request;
  request.caption = Title;
  request.text = message;
  request.kind = MessageBoxKind::Error;
  MessageBox(request);
}

int TApplication::MessageBox(const MessageBoxRequest& request) {
  CancelHint();
  if (auto answer = platform_->ShowNativeMessageBox(request)) return *answer;
  return ShowMessageForm(*this, request);
}

// ---- worker threads ----

bool TApplication::Synchronize(std::function<void()> fn, const void* owner) {
  if (InUiThread()) {
    fn();
    return true;
  }
  auto item = std::make_shared<SyncItem>();
  item->fn = std::move(fn);
  item->owner = owner;
  {
    std::lock_guard lock(syncMutex_);
    if (syncClosed_) return false;
    syncQueue_.push_back(item);
  }
  platform_->Wake();
  std::unique_lock lock(syncMutex_);
  syncDone_.wait(lock, [&] { return item->done; });
  if (item->error) std::rethrow_exception(item->error);
  return !item->cancelled;
}

void TApplication::CancelSynchronize(const void* owner) {
  std::lock_guard lock(syncMutex_);
  const auto cancel = [owner](SyncItem& item) {
    if (owner == nullptr || item.owner == owner) {
      item.cancelled = true;
      item.done = true;
    }
  };
  for (auto& item : syncQueue_) cancel(*item);
  std::erase_if(syncQueue_, [](const auto& item) { return item->done; });
  // A running call stays with the UI thread; only its caller stops waiting for it.
  for (auto& item : syncRunning_) cancel(*item);
  syncDone_.notify_all();
}

void TApplication::CheckSynchronize() {
  for (;;) {
    std::shared_ptr<SyncItem> item;
    {
      std::lock_guard lock(syncMutex_);
      if (syncQueue_.empty()) return;
      item = syncQueue_.front();
      syncQueue_.pop_front();
      syncRunning_.push_back(item);
    }
    std::exception_ptr error;
    try {
      item->fn();
    } catch (...) {
      error = std::current_exception();
    }
    item->fn = nullptr;  // what it holds goes here, on this thread
    std::lock_guard lock(syncMutex_);
    std::erase(syncRunning_, item);
    // A cancelled caller has stopped waiting and never looks at the error.
    if (!item->cancelled) item->error = std::move(error);
    item->done = true;
    // The waiting worker keeps the last reference, so the error it rethrows is never
    // released by this thread while the worker handles it.
    item.reset();
    syncDone_.notify_all();
  }
}

// ---- cursors ----

CursorHandle TApplication::CursorFor(int number) {
  auto it = cursors_.find(number);
  if (it != cursors_.end()) return it->second;
  // A program cursor that nobody registered yet shows as the arrow, without taking
  // its number.
  StandardCursor kind = StandardCursor::Arrow;
  switch (number) {
    case crIBeam:
      kind = StandardCursor::IBeam;
      break;
    case crHourGlass:
      kind = StandardCursor::Wait;
      break;
    case crHandPoint:
      kind = StandardCursor::Hand;
      break;
    default:
      break;
  }
  const CursorHandle handle = platform_->GetStandardCursor(kind);
  if (number <= 0) cursors_[number] = handle;
  return handle;
}

// ---- hints ----

void TApplication::SetShowHint(bool value) {
  if (value == showHint_) return;
  showHint_ = value;
  CancelHint();
  hintWindow_.reset();
}

void TApplication::SetHintWindowClass(THintWindowClass factory) {
  hintWindowClass_ = std::move(factory);
}

void TApplication::CancelHint() {
  if (hintTimer_ != 0) {
    platform_->StopTimer(hintTimer_);
    hintTimer_ = 0;
  }
  if (hintShowing_ && hintWindow_) hintWindow_->ReleaseHandle();
  hintShowing_ = false;
  hintControl_ = nullptr;
}

void TApplication::HintMouseMove(TControl* control) {
  const bool hints = control != nullptr && showHint_ && control->ShowHint &&
                     control->Parent() != nullptr && control->Parent()->ShowHint &&
                     !ShortHint(control->Hint).empty();
  if (!hints) control = nullptr;
  if (control == hintControl_) return;
  CancelHint();
  if (control == nullptr) return;
  hintControl_ = control;
  hintTimer_ = platform_->StartTimer(static_cast<uint32_t>(std::max(1, HintPause)));
}

void TApplication::HintTimerFired() {
  platform_->StopTimer(hintTimer_);
  hintTimer_ = 0;
  if (hintShowing_) {
    // The hide pause is over.
    TControl* control = hintControl_;
    CancelHint();
    hintControl_ = control;  // no new hint until the pointer moves to another control
    return;
  }
  ShowHintNow();
}

void TApplication::ShowHintNow() {
  if (hintControl_ == nullptr || !hintControl_->Showing()) return;
  if (!hintWindow_) hintWindow_ = hintWindowClass_(*this);
  const std::string text = ShortHint(hintControl_->Hint);
  const Rect screen = platform_->ScreenRect();
  Rect r = hintWindow_->CalcHintRect(screen.Width(), text);
  const Point at = platform_->CursorPos();
  r = r.Offset(at.x, at.y + kHintOffsetY);
  // Keep the plain hint on the screen.
  if (r.right > screen.right) r = r.Offset(screen.right - r.right, 0);
  if (r.bottom > screen.bottom) r = r.Offset(0, at.y - r.Height() - r.top);
  if (r.left < screen.left) r = r.Offset(screen.left - r.left, 0);
  if (r.top < screen.top) r = r.Offset(0, screen.top - r.top);
  hintWindow_->ActivateHint(r, text);
  hintShowing_ = true;
  hintTimer_ = platform_->StartTimer(static_cast<uint32_t>(std::max(1, HintHidePause)));
}

// ---- forms ----

void TApplication::FormCreated(TForm* form) { forms_.push_back(form); }

void TApplication::ControlRemoved(TControl* control) {
  if (hintControl_ == control) CancelHint();
}

void TApplication::FormDestroyed(TForm* form) {
  std::erase(forms_, form);
  std::erase(zOrder_, form);
  std::erase(released_, form);
  if (hintControl_ != nullptr && hintControl_->Parent() == form) CancelHint();
  if (activeForm_ == form) activeForm_ = nullptr;
  if (mainForm_ == form) mainForm_ = nullptr;
}

void TApplication::FormShown(TForm* form) {
  std::erase(zOrder_, form);
  zOrder_.push_back(form);
}

void TApplication::FormHidden(TForm* form) {
  std::erase(zOrder_, form);
  if (hintControl_ != nullptr && hintControl_->Parent() == form) CancelHint();
  if (activeForm_ != form) return;
  activeForm_ = nullptr;
  form->DoDeactivate();
  if (terminated_) return;  // nothing is activated again once the application is ending
  for (auto it = zOrder_.rbegin(); it != zOrder_.rend(); ++it) {
    if ((*it)->Enabled() && (*it)->Visible()) {
      (*it)->BringToFront();
      return;
    }
  }
}

void TApplication::ActivateForm(TForm* form) {
  if (form == activeForm_) return;
  if (form != nullptr) {
    std::erase(zOrder_, form);
    zOrder_.push_back(form);
  }
  TForm* old = activeForm_;
  activeForm_ = form;
  if (old != nullptr) old->DoDeactivate();
  if (form != nullptr && activeForm_ == form) form->DoActivate();
}

Bitmap32 TApplication::CaptureScreen(const Rect& r) {
  Bitmap32 shot(r.Width(), r.Height(), MakePixel(0, 0, 0));
  for (TForm* form : zOrder_) {
    if (!form->Visible() || form->WindowState() != TWindowState::wsNormal) continue;
    form->Update();
    const Rect part = form->BoundsRect().Intersect(r);
    for (int y = part.top; y < part.bottom; ++y) {
      const uint32_t* src = form->BackBuffer().Row(y - form->Top());
      uint32_t* dst = shot.Row(y - r.top);
      for (int x = part.left; x < part.right; ++x) dst[x - r.left] = src[x - form->Left()];
    }
  }
  return shot;
}

// ---- component events ----

int TApplication::AddEventHandler(EventKind kind, TEventHandler handler) {
  const int token = nextEventHandler_++;
  eventHandlers_.push_back({token, kind, std::move(handler)});
  return token;
}

void TApplication::RemoveEventHandler(int token) {
  std::erase_if(eventHandlers_, [token](const EventHandlerEntry& e) { return e.token == token; });
}

// ---- timers ----

void TApplication::TimerStarted(TimerHandle handle, TTimer* timer) { timers_[handle] = timer; }

void TApplication::TimerStopped(TimerHandle handle) { timers_.erase(handle); }

}  // namespace tazu
