#include "controls/Starter.h"

#include <array>
#include <chrono>
#include <ctime>
#include <mutex>

#include "framework/Application.h"

namespace tazu {
namespace {

int ShowState(TStarterOptions option) {
  static constexpr std::array<int, 10> kShow{0, 3, 6, 9, 5, 3, 2, 7, 8, 1};
  return kShow[static_cast<size_t>(option)];
}

const char* Verb(TStarterOperation operation) {
  switch (operation) {
    case TStarterOperation::smPrint:
      return "print";
    case TStarterOperation::smExplore:
      return "explore";
    default:
      return "open";
  }
}

bool IsShellFailure(int code) {
  return code == SE_ERR_FNF || code == SE_ERR_PNF || code == SE_ERR_ACCESSDENIED ||
         code == SE_ERR_OOM || (code >= SE_ERR_SHARE && code <= SE_ERR_DLLNOTFOUND);
}

// Everything up to and including the last path delimiter, ending in a back-slash.
std::string FolderToExplore(const std::string& command) {
  const size_t cut = command.find_last_of("\\/:");
  std::string folder = cut == std::string::npos ? std::string() : command.substr(0, cut + 1);
  if (folder.find_first_not_of(' ') == std::string::npos) return "\\";
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace

TStartDateTime LocalNow() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  // std::localtime shares one result between threads; the lock makes the copy whole.
  static std::mutex localtimeLock;
  std::tm local{};
  {
    const std::lock_guard<std::mutex> lock(localtimeLock);
    if (const std::tm* shared = std::localtime(&now)) local = *shared;
  }
  return {.Day = static_cast<uint8_t>(local.tm_mday),
          .Month = static_cast<uint8_t>(local.tm_mon + 1),
          .Year = local.tm_year + 1900,
          .Hour = static_cast<uint8_t>(local.tm_hour),
          .Minute = static_cast<uint8_t>(local.tm_min),
          .Second = static_cast<uint8_t>(local.tm_sec)};
}

TStarter::TStarter(TComponent* owner)
    : TComponent(owner), Now(LocalNow), pool_(&TAppServices::Of(*this).TimerPool()) {
  clockId_ = pool_->Add(kClockIntervalMs, [this] { ClockCheck(); });
  if (clockId_ == 0) throw EOutOfResources();
  pool_->SetEnabled(clockId_, false);
}

TStarter::~TStarter() {
  pool_->SetEnabled(clockId_, false);
  pool_->Remove(clockId_);
  StopWatch();
  // The started program keeps running; only our handle goes.
  if (process_ != 0) OS().CloseProcess(process_);
}

Platform& TStarter::OS() { return Application()->GetPlatform(); }

void TStarter::SetString(int index, const std::string& value) {
  if (strings_[index] != value) strings_[index] = value;
}

void TStarter::SetAutoStart(bool value) {
  autoStart_ = value;
  pool_->SetInterval(clockId_, kClockIntervalMs);
  pool_->SetEnabled(clockId_, value);
}

ShellExecuteRequest TStarter::BuildRequest() const {
  ShellExecuteRequest request;
  request.verb = Verb(StartOperation);
  request.show = ShowState(StartOption);
  if (StartOperation == TStarterOperation::smExplore) {
    request.file = FolderToExplore(Command());
  } else {
    request.file = Command();
    request.parameters = Parameters();
    request.directory = DefaultDir();
  }
  return request;
}

void TStarter::Execute() {
  if (OnBeforeStart) OnBeforeStart(this);
  if (process_ != 0) {
    OS().CloseProcess(process_);  // the previous start's handle is not needed any more
    process_ = 0;
  }
  const ShellExecuteResult result = OS().ShellExecute(BuildRequest());
  process_ = result.process;
  if (IsShellFailure(result.instanceCode)) {
    errorCode_ = result.instanceCode;
    if (OnError) OnError(nullptr);
  } else {
    if (OnFinished) {
      StopWatch();
      watchId_ = pool_->Add(kWatchIntervalMs, [this] { WatchCheck(); });
      if (watchId_ == 0) throw EOutOfResources();
      pool_->SetEnabled(watchId_, true);
    }
    if (Wait && process_ != 0) OS().WaitForProcess(process_);
  }
  if (OnAfterStart) OnAfterStart(this);
}

void TStarter::StopWatch() {
  if (watchId_ == 0) return;
  if (TTimerItem* item = pool_->Find(watchId_)) {
    item->Enabled = false;
    item->Callback = nullptr;
  }
  pool_->Remove(watchId_);
  watchId_ = 0;
}

void TStarter::WatchCheck() {
  const std::optional<uint32_t> code = OS().GetExitCodeProcess(process_);
  if (code && *code == STILL_ACTIVE) return;
  StopWatch();
  if (OnFinished) OnFinished(this);
}

void TStarter::ClockCheck() {
  if (Now() == startTime_) Execute();
}

}  // namespace tazu
