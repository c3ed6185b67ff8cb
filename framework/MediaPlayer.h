// The media player component: one music file at a time on the platform's player, with
// a notification on the UI thread when a command completes.
#pragma once

#include <string>

#include "base/Exceptions.h"
#include "framework/Component.h"
#include "platform/Platform.h"

namespace tazu {

// The device refused a command; the message is the device's own.
class EMCIDeviceError : public Exception {
 public:
  using Exception::Exception;
};

class TMediaPlayer : public TComponent {
 public:
  explicit TMediaPlayer(TComponent* owner);
  ~TMediaPlayer() override;

  std::string FileName;
  // Raises EMCIDeviceError with the device's message when the file cannot be opened.
  void Open();
  void Close();
  void Play();
  void Stop();
  void Rewind();
  MusicMode Mode();
  uint32_t Position();
  uint32_t Length();
  bool IsOpen() const { return open_; }

  // Fires on the UI thread when a played piece ends or is interrupted.
  TNotifyEvent OnNotify;
  void Notify();

 private:
  Platform& OS();
  bool open_ = false;
};

}  // namespace tazu
