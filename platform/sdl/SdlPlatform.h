// The Linux platform: SDL2 windows, input, cursors and the event loop. Window timers
// run inside WaitEvent (no timer thread); Wake pushes an SDL user event, which SDL
// makes safe from any thread.
#pragma once

#include <map>
#include <memory>

#include "platform/Platform.h"
#include "platform/TimerQueue.h"

struct SDL_Window;
struct SDL_Cursor;
union SDL_Event;

namespace tazu {

class SdlPlatform : public Platform {
 public:
  // Raises std::runtime_error with SDL's message when video cannot start.
  SdlPlatform();
  ~SdlPlatform() override;
  SdlPlatform(const SdlPlatform&) = delete;
  SdlPlatform& operator=(const SdlPlatform&) = delete;

  WindowHandle CreateWindow(const WindowOptions& options) override;
  void DestroyWindow(WindowHandle window) override;
  void SetWindowTitle(WindowHandle window, const std::string& title) override;
  void SetWindowBounds(WindowHandle window, const Rect& bounds) override;
  void SetWindowState(WindowHandle window, WindowState state) override;
  void RaiseWindow(WindowHandle window) override;
  void Present(WindowHandle window, const Bitmap32& image, const Rect& area) override;
  Rect ScreenRect() override;
  Point CursorPos() override;
  CursorHandle CreateColorCursor(const Bitmap32& image, Point hotSpot) override;
  CursorHandle GetStandardCursor(StandardCursor kind) override;
  void SetCursor(CursorHandle cursor) override;
  bool WaitEvent(Event& event, int timeoutMs) override;
  void Wake() override;
  uint64_t Ticks() override;
  TimerHandle StartTimer(uint32_t intervalMs) override;
  void StopTimer(TimerHandle timer) override;

 private:
  SDL_Window* Find(WindowHandle window) const;
  bool Translate(const SDL_Event& in, Event& out);

  std::map<WindowHandle, SDL_Window*> windows_;
  std::map<CursorHandle, SDL_Cursor*> cursors_;
  std::map<StandardCursor, CursorHandle> standardCursors_;
  CursorHandle nextCursor_ = 1;
  TimerQueue timers_;
  uint32_t wakeEventType_ = 0;
  bool exitAfterFirstFrame_ = false;
};

}  // namespace tazu
