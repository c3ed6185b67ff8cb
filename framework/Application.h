// The one process-wide application object: it owns the platform, the fonts and the
// forms, runs the message loop (also nested, for modal forms and message boxes), hands
// work from worker threads to the UI thread, keeps the cursor registry and shows hints.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/Component.h"
#include "framework/Fonts.h"
#include "platform/Platform.h"

namespace tazu {

class TForm;
class TControl;
class TTimer;
class TMediaPlayer;
class THintWindow;

using TEventHandler = std::function<void(const Event& event)>;
using THintWindowClass = std::function<std::unique_ptr<THintWindow>(TApplication& app)>;
using TExceptionEvent = std::function<void(TObject* sender, const std::exception& error)>;

class TApplication : public TComponent {
 public:
  explicit TApplication(std::unique_ptr<Platform> platform);
  ~TApplication() override;

  Platform& GetPlatform() { return *platform_; }
  // What the forms measure and draw text with (UI thread only).
  FontEngine& Fonts() { return fonts_; }

  std::string Title;

  // Creates a form owned by the application; the first one becomes the main form.
  // Its OnCreate runs before this returns.
  template <class T, class... Args>
  T* CreateForm(Args&&... args) {
    T* form = new T(this, std::forward<Args>(args)...);
    if (mainForm_ == nullptr) mainForm_ = form;
    form->DoCreate();
    return form;
  }
  TForm* MainForm() const { return mainForm_; }

  // ---- the loop ----
  // Shows the main form and handles events until the application is terminated.
  void Run();
  // Waits for one event and handles it (painting and hand-overs included).
  void HandleMessage();
  // Handles every pending event without waiting.
  void ProcessMessages();
  void Terminate();
  bool Terminated() const { return terminated_; }

  // ---- errors ----
  // The general error box: the message, plus a full stop when its last byte is above '.'
  // (a letter, digit, '?' or ':'; not '!' or ')'), captioned with the title. EAbort is silent.
  void ShowException(const std::exception& error);
  void HandleException(const std::exception& error);
  TExceptionEvent OnException;
  // The single way to a message box: the platform's own, or a modal form of ours.
  int MessageBox(const MessageBoxRequest& request);

  // ---- worker threads ----
  // Runs `fn` on the UI thread and blocks the calling thread until it has run; an
  // exception from `fn` is raised again in the caller. Returns false when the call was
  // cancelled (CancelSynchronize with the same owner, or the application is going).
  // Called on the UI thread it runs `fn` at once.
  bool Synchronize(std::function<void()> fn, const void* owner = nullptr);
  // Drops the pending hand-overs of `owner`; their callers return false. Callers
  // whose hand-over is running right now (the UI thread is inside it, perhaps in a
  // nested loop) are released too: the owner may be going from within its own call.
  void CancelSynchronize(const void* owner);
  // Runs the pending hand-overs (UI thread; every loop calls it).
  void CheckSynchronize();
  bool InUiThread() const { return std::this_thread::get_id() == uiThread_; }

  // ---- cursors: numbers to platform cursors ----
  void SetCursor(int number, CursorHandle cursor) { cursors_[number] = cursor; }
  bool HasCursor(int number) const { return cursors_.count(number) != 0; }
  CursorHandle CursorFor(int number);

  // ---- hints ----
  bool ShowHint() const { return showHint_; }
  // Turning hints off releases the hint window; turning them on makes the next one
  // with the current hint-window class.
  void SetShowHint(bool value);
  int HintPause = 500;       // ms the pointer rests before a hint shows
  int HintHidePause = 2500;  // ms a hint stays
  void SetHintWindowClass(THintWindowClass factory);
  void CancelHint();
  THintWindow* HintWindow() const { return hintWindow_.get(); }
  // The pointer moved over `control` (null: over nothing that hints).
  void HintMouseMove(TControl* control);

  // ---- forms and windows ----
  TForm* ActiveForm() const { return activeForm_; }
  void ActivateForm(TForm* form);
  // The forms in front-to-back order of showing (the last is in front).
  const std::vector<TForm*>& ZOrder() const { return zOrder_; }
  // What the screen shows in `r` (screen coordinates): the visible forms composed.
  Bitmap32 CaptureScreen(const Rect& r);

  // ---- platform events for components (hot keys, mixer notices) ----
  // Returns a token for RemoveEventHandler.
  int AddEventHandler(EventKind kind, TEventHandler handler);
  void RemoveEventHandler(int token);

  // ---- called by forms and timers ----
  void FormCreated(TForm* form);
  // A control is going: nothing may point at it any more.
  void ControlRemoved(TControl* control);
  void FormDestroyed(TForm* form);
  void FormShown(TForm* form);
  void FormHidden(TForm* form);
  void ReleaseForm(TForm* form);
  void TimerStarted(TimerHandle handle, TTimer* timer);
  void TimerStopped(TimerHandle handle);
  void MediaPlayerCreated(TMediaPlayer* player) { mediaPlayers_.push_back(player); }
  void MediaPlayerDestroyed(TMediaPlayer* player) { std::erase(mediaPlayers_, player); }

 private:
  struct SyncItem {
    std::function<void()> fn;
    const void* owner = nullptr;
    bool done = false;
    bool cancelled = false;
    std::exception_ptr error;
  };

  void Dispatch(const Event& event);
  void DispatchSafely(const Event& event);
  void PaintPending();
  void FreeReleased();
  void HintTimerFired();
  void ShowHintNow();

  std::unique_ptr<Platform> platform_;
  FontEngine fonts_;
  std::thread::id uiThread_;
  TForm* mainForm_ = nullptr;
  TForm* activeForm_ = nullptr;
  std::vector<TForm*> forms_;
  std::vector<TForm*> zOrder_;
  std::vector<TForm*> released_;
  bool terminated_ = false;
  std::map<TimerHandle, TTimer*> timers_;
  std::map<int, CursorHandle> cursors_;
  std::vector<TMediaPlayer*> mediaPlayers_;
  struct EventHandlerEntry {
    int token;
    EventKind kind;
    TEventHandler handler;
  };
  std::vector<EventHandlerEntry> eventHandlers_;
  int nextEventHandler_ = 1;

  std::mutex syncMutex_;
  std::condition_variable syncDone_;
  std::deque<std::shared_ptr<SyncItem>> syncQueue_;
  std::vector<std::shared_ptr<SyncItem>> syncRunning_;  // innermost last
  bool syncClosed_ = false;

  bool showHint_ = true;
  THintWindowClass hintWindowClass_;
  std::unique_ptr<THintWindow> hintWindow_;
  TControl* hintControl_ = nullptr;
  TimerHandle hintTimer_ = 0;
  bool hintShowing_ = false;
};

}  // namespace tazu
