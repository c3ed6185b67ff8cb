// The Windows mixer devices (mixer* functions), with change notices sent to the
// notice window (CALLBACK_WINDOW) as MM_MIXM_LINE_CHANGE / MM_MIXM_CONTROL_CHANGE.
#pragma once

#include <optional>
#include <set>
#include <vector>

#include "platform/Platform.h"

namespace tazu {

class Win32Mixer {
 public:
  explicit Win32Mixer(void* noticeWindow) : noticeWindow_(noticeWindow) {}
  ~Win32Mixer();  // closes what is still open
  Win32Mixer(const Win32Mixer&) = delete;
  Win32Mixer& operator=(const Win32Mixer&) = delete;

  int DeviceCount() const;
  std::optional<MixerCaps> Caps(int device) const;
  MixerHandle Open(int device);
  void Close(MixerHandle mixer);
  std::optional<MixerLine> Destination(MixerHandle mixer, uint32_t destination) const;
  std::optional<MixerLine> Source(MixerHandle mixer, uint32_t destination, uint32_t source) const;
  std::optional<std::vector<MixerControl>> Controls(MixerHandle mixer, uint32_t lineId) const;

 private:
  void* noticeWindow_;
  std::set<MixerHandle> open_;
};

}  // namespace tazu
