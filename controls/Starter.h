// Starts programs and documents the shell's way, reports a failed start, watches the
// started process by polling from the shared tick service and says when it ended, and
// can start its program by itself at a set moment.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "controls/AppServices.h"
#include "framework/Component.h"
#include "platform/Platform.h"

namespace tazu {

enum class TStarterOperation { smOpen, smPrint, smExplore };

enum class TStarterOptions {
  soSW_HIDE,
  soSW_MAXIMIZE,
  soSW_MINIMIZE,
  soSW_RESTORE,
  soSW_SHOW,
  soSW_SHOWMAXIMIZED,
  soSW_SHOWMINIMIZED,
  soSW_SHOWMINNOACTIVE,
  soSW_SHOWNA,
  soSW_SHOWNORMAL
};

// One moment, to the second.
class TStartDateTime {
 public:
  uint8_t Day = 1;
  uint8_t Month = 1;
  int Year = 1990;
  uint8_t Hour = 0;
  uint8_t Minute = 0;
  uint8_t Second = 0;
  void Assign(const TStartDateTime& other) { *this = other; }
  friend bool operator==(const TStartDateTime&, const TStartDateTime&) = default;
};

class TStarter : public TComponent {
 public:
  static constexpr uint32_t kWatchIntervalMs = 500;
  static constexpr uint32_t kClockIntervalMs = 1000;

  explicit TStarter(TComponent* owner);
  ~TStarter() override;

  TStarterOperation StartOperation = TStarterOperation::smOpen;
  TStarterOptions StartOption = TStarterOptions::soSW_SHOW;
  bool Wait = false;

  const std::string& Command() const { return strings_[0]; }
  const std::string& Parameters() const { return strings_[1]; }
  const std::string& DefaultDir() const { return strings_[2]; }
  void SetCommand(const std::string& value) { SetString(0, value); }
  void SetParameters(const std::string& value) { SetString(1, value); }
  void SetDefaultDir(const std::string& value) { SetString(2, value); }

  bool AutoStart() const { return autoStart_; }
  void SetAutoStart(bool value);
  TStartDateTime& StartTime() { return startTime_; }
  void SetStartTime(const TStartDateTime& value) { startTime_.Assign(value); }

  TNotifyEvent OnBeforeStart;
  TNotifyEvent OnAfterStart;
  TNotifyEvent OnError;  // called with a null sender
  TNotifyEvent OnFinished;

  // The shell's failure code of the last failed start (0 before any).
  int32_t ErrorCode() const { return errorCode_; }
  uint16_t WatchId() const { return watchId_; }
  uint16_t ClockId() const { return clockId_; }

  // Starts Command now.
  void Execute();

  // The local date and time the clock check compares with StartTime (replaceable
  // for tests).
  std::function<TStartDateTime()> Now;

 private:
  void SetString(int index, const std::string& value);
  void WatchCheck();
  void ClockCheck();
  void StopWatch();
  ShellExecuteRequest BuildRequest() const;
  Platform& OS();

  TTimerPool* pool_;

  std::string strings_[3];
  bool autoStart_ = false;
  TStartDateTime startTime_;
  int32_t errorCode_ = 0;
  uint16_t watchId_ = 0;
  uint16_t clockId_ = 0;
  ProcessHandle process_ = 0;
};

// Today's local date and time, to the second.
TStartDateTime LocalNow();

}  // namespace tazu
