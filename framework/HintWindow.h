// The window a control's hint appears in. Subclasses change its look; the application
// makes one through its hint-window class when a hint is first shown.
#pragma once

#include <string>

#include "framework/Canvas.h"
#include "framework/Graphics.h"
#include "platform/Platform.h"

namespace tazu {

class TApplication;

class THintWindow {
 public:
  explicit THintWindow(TApplication& app);
  virtual ~THintWindow();
  THintWindow(const THintWindow&) = delete;
  THintWindow& operator=(const THintWindow&) = delete;

  // The window rectangle (at 0, 0) that `hint` needs, lines no wider than maxWidth.
  virtual Rect CalcHintRect(int maxWidth, const std::string& hint);
  // Shows `hint` in `rect` (screen coordinates).
  virtual void ActivateHint(const Rect& rect, const std::string& hint);
  // Hides the window.
  virtual void ReleaseHandle();
  // Draws the plain hint: a pale rectangle with a raised edge and the text.
  virtual void Paint(TCanvas& canvas);

  bool Showing() const { return showing_; }
  const std::string& Caption() const { return caption_; }
  Rect BoundsRect() const { return bounds_; }
  WindowHandle Handle() const { return handle_; }
  // The window's pixels as last shown.
  const Bitmap32& Image() const { return buffer_; }

  TFont Font;
  TColor Color = clInfoBk;

 protected:
  TApplication& App() { return app_; }
  void SetCaption(const std::string& caption) { caption_ = caption; }
  // Moves and sizes the (hidden or shown) window; the buffer follows the size.
  void SetBoundsRect(const Rect& screenRect);
  void ShowWindow();
  // Shows the whole buffer.
  void Present();
  Bitmap32& Buffer() { return buffer_; }
  TCanvas& Canvas() { return canvas_; }

 private:
  void EnsureWindow();

  TApplication& app_;
  WindowHandle handle_ = 0;
  std::string caption_;
  Rect bounds_;
  Bitmap32 buffer_;
  TCanvas canvas_;
  bool showing_ = false;
};

}  // namespace tazu
