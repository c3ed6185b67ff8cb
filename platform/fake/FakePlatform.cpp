#include "platform/fake/FakePlatform.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace tazu {

FakePlatform::FakePlatform() = default;

WindowHandle FakePlatform::CreateWindow(const WindowOptions& options) {
  const WindowHandle handle = nextWindow_++;
  windows[handle] = {.options = options,
                     .title = options.title,
                     .bounds = options.bounds,
                     .image = Bitmap32(options.bounds.Width(), options.bounds.Height(), 0)};
  calls.push_back("CreateWindow " + options.title);
  return handle;
}

void FakePlatform::DestroyWindow(WindowHandle window) {
  windows.at(window).destroyed = true;
  calls.push_back("DestroyWindow " + windows.at(window).title);
}

void FakePlatform::SetWindowTitle(WindowHandle window, const std::string& title) {
  windows.at(window).title = title;
}

void FakePlatform::SetWindowBounds(WindowHandle window, const Rect& bounds) {
  WindowRecord& w = windows.at(window);
  if (bounds.Width() != w.bounds.Width() || bounds.Height() != w.bounds.Height()) {
    w.image.Resize(bounds.Width(), bounds.Height(), 0);
  }
  w.bounds = bounds;
}

void FakePlatform::SetWindowState(WindowHandle window, WindowState state) {
  WindowRecord& w = windows.at(window);
  w.state = state;
  static const char* names[] = {"Hidden", "Normal", "Minimized"};
  calls.push_back(std::string("SetWindowState ") + w.title + " " + names[static_cast<int>(state)]);
}

void FakePlatform::RaiseWindow(WindowHandle window) { ++windows.at(window).raiseCount; }

void FakePlatform::SetWindowOwner(WindowHandle window, WindowHandle owner) {
  windows.at(window).owner = owner;
}

void FakePlatform::Present(WindowHandle window, const Bitmap32& image, const Rect& area) {
  WindowRecord& w = windows.at(window);
  if (w.image.Width() != image.Width() || w.image.Height() != image.Height()) {
    w.image.Resize(image.Width(), image.Height(), 0);
  }
  const Rect r = area.Intersect(image.Bounds());
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) w.image.SetPixel(x, y, image.Pixel(x, y));
  }
  ++w.presentCount;
}

bool FakePlatform::SetScaledPresentation(int width, int height) {
  calls.push_back("SetScaledPresentation " + std::to_string(width) + "x" + std::to_string(height));
  if (!canScale) return false;
  scaledPresentation = Point{width, height};
  return true;
}

CursorHandle FakePlatform::CreateColorCursor(const Bitmap32& image, Point) {
  const CursorHandle handle = nextCursor_++;
  cursors[handle] = image;
  return handle;
}

CursorHandle FakePlatform::GetStandardCursor(StandardCursor kind) {
  standardCursorsAsked.push_back(kind);
  return static_cast<CursorHandle>(kind) + 1;
}

void FakePlatform::PushEvent(Event event) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(event));
  }
  wakeup_.notify_all();
}

void FakePlatform::Wake() { PushEvent({.kind = EventKind::Wake}); }

uint64_t FakePlatform::Ticks() { return Now(); }

uint64_t FakePlatform::Now() const {
  std::lock_guard lock(mutex_);
  return now_;
}

void FakePlatform::AdvanceTime(uint64_t ms) {
  std::lock_guard lock(mutex_);
  now_ += ms;
}

TimerHandle FakePlatform::StartTimer(uint32_t intervalMs) {
  std::lock_guard lock(mutex_);
  calls.push_back("StartTimer " + std::to_string(intervalMs));
  return timers_.Start(intervalMs, now_);
}

void FakePlatform::StopTimer(TimerHandle timer) {
  std::lock_guard lock(mutex_);
  timers_.Stop(timer);
}

int FakePlatform::timerCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(timers_.Count());
}

bool FakePlatform::TakeQueued(Event& event) {
  if (!queue_.empty()) {
    event = std::move(queue_.front());
    queue_.pop_front();
    return true;
  }
  if (auto due = timers_.TakeDue(now_)) {
    event = {.kind = EventKind::Timer, .timer = *due};
    return true;
  }
  return false;
}

bool FakePlatform::RunIdleScript() {
  if (!idleSteps.empty()) {
    auto step = std::move(idleSteps.front());
    idleSteps.pop_front();
    step();
    return true;
  }
  if (onIdle) {
    const std::function<void()> idle = onIdle;  // the script may replace itself
    idle();
    return true;
  }
  return false;
}

bool FakePlatform::WaitEvent(Event& event, int timeoutMs) {
  {
    std::lock_guard lock(mutex_);
    if (TakeQueued(event)) return true;
  }
  if (timeoutMs == 0) return false;

  // Idle: let the script act first; it may queue input or change time.
  const bool scripted = RunIdleScript();
  std::unique_lock lock(mutex_);
  if (TakeQueued(event)) return true;

  const auto due = timers_.NextDue();
  if (autoAdvance && due && (timeoutMs < 0 || *due <= now_ + static_cast<uint64_t>(timeoutMs))) {
    now_ = std::max(now_, *due);
    return TakeQueued(event);
  }
  if (timeoutMs > 0) {
    // A bounded wait: real time for wake-ups from other threads, virtual time moves on.
    wakeup_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return !queue_.empty(); });
    if (TakeQueued(event)) return true;
    now_ += static_cast<uint64_t>(timeoutMs);
    return false;
  }
  if (scripted) return false;  // the loop comes back and the script runs again
  if (!wakeup_.wait_for(lock, std::chrono::milliseconds(realWaitLimitMs),
                        [&] { return !queue_.empty(); })) {
    throw std::runtime_error("FakePlatform: the loop waits for an event that nothing will send");
  }
  return TakeQueued(event);
}

std::optional<ModalResult> FakePlatform::ShowNativeMessageBox(const MessageBoxRequest& request) {
  if (!nativeMessageBoxes) return std::nullopt;
  shownBoxes.push_back(request);
  calls.push_back("MessageBox " + request.text);
  if (onMessageBox) return onMessageBox(request);
  if (!answers.empty()) {
    const ModalResult answer = answers.front();
    answers.pop_front();
    return answer;
  }
  switch (request.buttons) {
    case MessageBoxButtons::YesNo:
    case MessageBoxButtons::YesNoCancel:
      return mrYes;
    default:
      return mrOk;
  }
}

// ---- display, task bar, mouse ----

DisplayCaps FakePlatform::GetDisplayCaps(WindowHandle) {
  calls.push_back("GetDisplayCaps");
  return display;
}

std::optional<DisplayMode> FakePlatform::CurrentDisplayMode() {
  calls.push_back("CurrentDisplayMode");
  return currentMode;
}

std::optional<DisplayMode> FakePlatform::EnumDisplayMode(int index) {
  if (index < 0 || static_cast<size_t>(index) >= modes.size()) return std::nullopt;
  return modes[static_cast<size_t>(index)];
}

int FakePlatform::ChangeDisplayMode(const DisplayMode& mode, bool persist) {
  calls.push_back("ChangeDisplayMode " + std::to_string(mode.pelsWidth) + "x" +
                  std::to_string(mode.pelsHeight) + "x" + std::to_string(mode.bitsPerPel) + "@" +
                  std::to_string(mode.displayFrequency) + (persist ? " persist" : ""));
  modeChanges.push_back({mode, persist});
  if (changeResult == DISP_CHANGE_SUCCESSFUL) {
    display = {static_cast<int>(mode.displayFrequency), static_cast<int>(mode.pelsWidth),
               static_cast<int>(mode.pelsHeight), static_cast<int>(mode.bitsPerPel)};
    currentMode = mode;
  }
  return changeResult;
}

void FakePlatform::BroadcastDisplayChange(uintptr_t wParam, intptr_t lParam) {
  calls.push_back("BroadcastDisplayChange " + std::to_string(wParam) + " " +
                  std::to_string(lParam));
  displayBroadcasts.emplace_back(wParam, lParam);
}

TaskBarHandle FakePlatform::FindTaskBar() {
  calls.push_back("FindTaskBar");
  return taskBar;
}

void FakePlatform::ShowTaskBar(TaskBarHandle bar, bool show) {
  calls.push_back(std::string(show ? "ShowTaskBar " : "HideTaskBar ") + std::to_string(bar));
  if (bar != 0 && bar == taskBar) taskBarVisible = show;
}

void FakePlatform::SetMouseButtonsSwapped(bool swapped) {
  calls.push_back(std::string("SetMouseButtonsSwapped ") + (swapped ? "true" : "false"));
  mouseSwapped = swapped;
}

// ---- processes ----

ShellExecuteResult FakePlatform::ShellExecute(const ShellExecuteRequest& request) {
  calls.push_back("ShellExecute " + request.verb + " " + request.file + " " + request.parameters);
  shellRequests.push_back(request);
  ShellOutcome outcome = shellDefault;
  if (!shellOutcomes.empty()) {
    outcome = shellOutcomes.front();
    shellOutcomes.pop_front();
  }
  ShellExecuteResult result{.instanceCode = outcome.instanceCode};
  if (outcome.giveProcess && outcome.instanceCode > SE_ERR_DLLNOTFOUND) {
    std::lock_guard lock(mutex_);
    result.process = nextProcess_++;
    processes[result.process].request = request;
  }
  return result;
}

std::optional<uint32_t> FakePlatform::GetExitCodeProcess(ProcessHandle process) {
  std::lock_guard lock(mutex_);
  const auto it = processes.find(process);
  if (it == processes.end() || it->second.closed) return std::nullopt;
  return it->second.exitCode;
}

void FakePlatform::EndProcess(ProcessHandle process, uint32_t exitCode) {
  {
    std::lock_guard lock(mutex_);
    processes.at(process).exitCode = exitCode;
  }
  wakeup_.notify_all();
}

void FakePlatform::WaitForProcess(ProcessHandle process) {
  calls.push_back("WaitForProcess " + std::to_string(process));
  waitedProcesses.push_back(process);
  std::unique_lock lock(mutex_);
  const auto it = processes.find(process);
  if (it == processes.end() || it->second.closed) return;  // nothing to wait for
  ProcessRecord& record = it->second;
  if (record.exitCode != STILL_ACTIVE) return;
  if (endOnWait) {
    record.exitCode = waitExitCode;
    return;
  }
  if (!wakeup_.wait_for(lock, std::chrono::milliseconds(realWaitLimitMs),
                        [&] { return record.exitCode != STILL_ACTIVE; })) {
    throw std::runtime_error("FakePlatform: waiting for a process that nothing ends");
  }
}

void FakePlatform::CloseProcess(ProcessHandle process) {
  calls.push_back("CloseProcess " + std::to_string(process));
  closedProcesses.push_back(process);
  std::lock_guard lock(mutex_);
  const auto it = processes.find(process);
  if (it != processes.end()) it->second.closed = true;
}

// ---- music and cues ----

namespace {
Event MusicNotice() { return {.kind = EventKind::MusicNotify}; }
}  // namespace

std::optional<std::string> FakePlatform::MusicOpen(const std::string& file) {
  calls.push_back("MusicOpen " + file);
  if (musicOpenError) return musicOpenError;
  musicFile = file;
  musicOpened.push_back(file);
  musicMode = MusicMode::Stopped;
  musicPositionMs = 0;
  return std::nullopt;
}

void FakePlatform::MusicClose() {
  calls.push_back("MusicClose");
  musicFile.clear();
  musicMode = MusicMode::NotReady;
  musicPositionMs = 0;
}

void FakePlatform::MusicPlay() {
  calls.push_back("MusicPlay");
  if (!musicFile.empty()) musicMode = MusicMode::Playing;
}

void FakePlatform::MusicStop() {
  calls.push_back("MusicStop");
  if (musicMode == MusicMode::Playing) {
    musicMode = MusicMode::Stopped;
    PushEvent(MusicNotice());  // the interrupted play's notice
  }
}

void FakePlatform::MusicRewind() {
  calls.push_back("MusicRewind");
  musicPositionMs = 0;
}

MusicMode FakePlatform::MusicGetMode() { return musicMode; }

uint32_t FakePlatform::MusicPosition() { return musicPositionMs; }

uint32_t FakePlatform::MusicLength() { return musicFile.empty() ? 0 : musicLengthMs; }

void FakePlatform::EndMusic() {
  musicPositionMs = musicLengthMs;
  musicMode = MusicMode::Stopped;
  PushEvent(MusicNotice());
}

bool FakePlatform::PlayWave(const std::vector<uint8_t>& riffFile) {
  calls.push_back("PlayWave");
  if (waveDevices == 0) return false;
  wavesPlayed.push_back(riffFile);
  return true;
}

void FakePlatform::StopWave() {
  calls.push_back("StopWave");
  ++waveStops;
}

// ---- input helpers ----

void FakePlatform::MoveMouse(WindowHandle window, int x, int y) {
  auto it = windows.find(window);
  if (it != windows.end()) cursorPos = {x + it->second.bounds.left, y + it->second.bounds.top};
  PushEvent({.kind = EventKind::MouseMove, .window = window, .pos = {x, y}});
}

void FakePlatform::PressMouse(WindowHandle window, int x, int y, MouseButton button) {
  PushEvent({.kind = EventKind::MouseDown, .window = window, .pos = {x, y}, .button = button});
}

void FakePlatform::ReleaseMouse(WindowHandle window, int x, int y, MouseButton button) {
  PushEvent({.kind = EventKind::MouseUp, .window = window, .pos = {x, y}, .button = button});
}

void FakePlatform::Click(WindowHandle window, int x, int y) {
  MoveMouse(window, x, y);
  PressMouse(window, x, y);
  ReleaseMouse(window, x, y);
}

void FakePlatform::PressKey(WindowHandle window, int virtualKey) {
  PushEvent({.kind = EventKind::KeyDown, .window = window, .key = virtualKey});
  PushEvent({.kind = EventKind::KeyUp, .window = window, .key = virtualKey});
}

void FakePlatform::TypeText(WindowHandle window, const std::string& utf8) {
  PushEvent({.kind = EventKind::Text, .window = window, .text = utf8});
}

// ---- single copy ----

bool FakePlatform::CreateCopyMarker(const std::string& name) {
  copyMarkers.push_back(name);
  return otherCopyRunning;
}

void FakePlatform::SetApplicationTitle(const std::string& title) {
  applicationTitles.push_back(title);
}

bool FakePlatform::ActivateOtherCopy(const std::string& title) {
  activations.push_back(title);
  const bool running = std::ranges::find(otherCopyTitles, title) != otherCopyTitles.end();
  if (running) activatedCopies.push_back(title);
  return running;
}

// ---- hot keys ----

bool FakePlatform::RegisterHotKey(uint32_t id, unsigned modifiers, int virtualKey) {
  const HotKeyRecord record{id, modifiers, virtualKey};
  hotKeyRegistrations.push_back(record);
  if (takenHotKeys.count({modifiers, virtualKey}) != 0) return false;
  for (const HotKeyRecord& held : hotKeys) {
    if (held.modifiers == modifiers && held.virtualKey == virtualKey) return false;
  }
  hotKeys.push_back(record);
  return true;
}

void FakePlatform::UnregisterHotKey(uint32_t id) {
  hotKeyUnregistrations.push_back(id);
  std::erase_if(hotKeys, [id](const HotKeyRecord& held) { return held.id == id; });
}

void FakePlatform::PressHotKey(uint32_t id) { PushEvent({.kind = EventKind::HotKey, .id = id}); }

// ---- audio mixer devices ----

std::optional<MixerCaps> FakePlatform::MixerGetCaps(int device) {
  if (device < 0 || device >= MixerDeviceCount()) return std::nullopt;
  return mixerDevices[static_cast<size_t>(device)].caps;
}

MixerHandle FakePlatform::MixerOpen(int device) {
  mixerOpens.push_back(device);
  if (device < 0 || device >= MixerDeviceCount()) return 0;
  if (mixerDevices[static_cast<size_t>(device)].openFails) return 0;
  const MixerHandle handle = nextMixer_++;
  openMixers[handle] = device;
  return handle;
}

void FakePlatform::MixerClose(MixerHandle mixer) {
  mixerCloses.push_back(mixer);
  openMixers.erase(mixer);
}

const FakePlatform::MixerDeviceScript* FakePlatform::OpenMixer(MixerHandle mixer) const {
  const auto open = openMixers.find(mixer);
  return open == openMixers.end() ? nullptr : &mixerDevices[static_cast<size_t>(open->second)];
}

std::optional<MixerLine> FakePlatform::MixerGetDestination(MixerHandle mixer,
                                                           uint32_t destination) {
  const MixerDeviceScript* device = OpenMixer(mixer);
  if (device == nullptr || destination >= device->destinations.size() ||
      device->failingDestinations.count(destination)) {
    return std::nullopt;
  }
  return device->destinations[destination];
}

std::optional<MixerLine> FakePlatform::MixerGetSource(MixerHandle mixer, uint32_t destination,
                                                      uint32_t source) {
  const MixerDeviceScript* device = OpenMixer(mixer);
  if (device == nullptr || destination >= device->sources.size() ||
      source >= device->sources[destination].size() ||
      device->failingSources.count({destination, source})) {
    return std::nullopt;
  }
  return device->sources[destination][source];
}

std::optional<std::vector<MixerControl>> FakePlatform::MixerGetLineControls(MixerHandle mixer,
                                                                            uint32_t lineId) {
  const MixerDeviceScript* device = OpenMixer(mixer);
  if (device == nullptr) return std::nullopt;
  auto controls = device->controls.find(lineId);
  if (controls == device->controls.end()) return std::nullopt;
  return controls->second;
}

void FakePlatform::NotifyMixer(EventKind kind, MixerHandle mixer, uint32_t id) {
  PushEvent({.kind = kind, .handle = mixer, .id = id});
}

}  // namespace tazu
