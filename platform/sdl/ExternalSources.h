// What reaches the program from outside SDL's windows, gathered for SdlPlatform: the
// single-copy marker, the application window other copies activate, the hot-key grabs
// (both on a connection of our own, X11Messenger), and the mixer devices (AlsaMixer).
// A watcher thread waits on their descriptors and posts an SDL user event (code
// kExternalReadyCode, data1 the source); the UI thread then reads the source with
// Take, which queues the resulting platform events.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/sdl/AlsaMixer.h"
#include "platform/sdl/CopyMarker.h"

namespace tazu {

class FdWatcher;
class X11Messenger;

// The SDL user event code of "a source outside SDL has something to read" (music
// notices use 1, Wake events 0).
constexpr int32_t kExternalReadyCode = 2;

class ExternalSources {
 public:
  // `eventType` is the registered SDL user event of the platform.
  explicit ExternalSources(uint32_t eventType);
  ~ExternalSources();
  ExternalSources(const ExternalSources&) = delete;
  ExternalSources& operator=(const ExternalSources&) = delete;

  bool CreateCopyMarker(const std::string& name) { return marker_.Take(name); }
  void SetApplicationTitle(const std::string& title);
  bool ActivateOtherCopy(const std::string& title);
  bool RegisterHotKey(uint32_t id, unsigned modifiers, int virtualKey);
  void UnregisterHotKey(uint32_t id);

  int MixerDeviceCount() { return mixers_.DeviceCount(); }
  std::optional<MixerCaps> MixerGetCaps(int device) { return mixers_.Caps(device); }
  MixerHandle MixerOpen(int device);
  void MixerClose(MixerHandle mixer);
  std::optional<MixerLine> MixerGetDestination(MixerHandle mixer, uint32_t destination) {
    return mixers_.Destination(mixer, destination);
  }
  std::optional<std::vector<MixerControl>> MixerGetLineControls(MixerHandle mixer,
                                                                uint32_t lineId) {
    return mixers_.Controls(mixer, lineId);
  }

  // The UI thread's part of a ready notice: reads source `source` (from the SDL event)
  // and watches it again.
  void Read(uintptr_t source);
  // The next platform event read from outside, if any.
  bool Take(Event& event);

 private:
  // The X connection is source 0; mixer handles (from 1) are their own sources.
  static constexpr uint32_t kXSource = 0;

  X11Messenger* Messenger();  // connected on first use; null without an X server
  FdWatcher& Watcher();       // started on first use
  void Post(uintptr_t source);
  // Xlib may have read events from the connection while waiting for a reply; the
  // descriptor will not announce them, so they are announced here.
  void AnnounceQueued();

  uint32_t eventType_;
  CopyMarker marker_;
  AlsaMixer mixers_;
  std::unique_ptr<X11Messenger> messenger_;
  bool messengerTried_ = false;
  std::unique_ptr<FdWatcher> watcher_;
  std::deque<Event> pending_;
};

}  // namespace tazu
