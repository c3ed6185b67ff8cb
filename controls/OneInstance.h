// The single-copy guard: on a second copy of the program it brings the first copy's
// window forward (or says so first, or lets the screen decide), then ends the process
// before any screen is shown. One per process.
#pragma once

#include <functional>
#include <string>

#include "base/Exceptions.h"
#include "framework/Component.h"

namespace tazu {

enum TOneInstanceMode { oiActivateOnly, oiDefaultMessage, oiCustom };

// A second single-instance component in the same process.
class EOneInstError : public Exception {
 public:
  using Exception::Exception;
};

class TOneInstance : public TComponent {
 public:
  static constexpr const char* kClassName = "TOneInstance";
  // The text that follows the quoted title in the default message.
  static constexpr const char* kAlreadyStarted = "was already started...";

  // Raises EOneInstError when another one exists.
  explicit TOneInstance(TComponent* owner);
  ~TOneInstance() override;

  bool Enabled = true;
  TOneInstanceMode Mode = oiActivateOnly;
  TNotifyEvent OnCustom;
  // Ends the process at once, after the application was asked to terminate. The
  // default leaves without running destructors or exit handlers (other threads may
  // still run, and the kernel releases the copy marker, the X connection and every
  // descriptor); tests put a hook of their own here.
  std::function<void()> EndProcess;

  // On a second copy: act on Mode, ask the application to terminate, end the process.
  void Loaded() override;
  // Brings the first copy's window forward; only on a second copy.
  void ActivateFirstCopy();
};

}  // namespace tazu
