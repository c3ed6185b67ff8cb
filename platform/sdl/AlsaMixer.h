// Mixer devices on Linux: the ALSA sound cards, each card's simple mixer elements as
// its destination lines (with no source lines), and the elements' volume and switch
// capabilities as the lines' controls. Identifiers are given at opening and stay the
// same while the device is open. Change notices come from the mixer's poll
// descriptors: a watcher says when a device has something to read, and Drain (UI
// thread) turns it into Mixer...Change events.
#pragma once

#include <poll.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Platform.h"

namespace tazu {

class AlsaMixer {
 public:
  // The classic MIXERCONTROL types of the controls this backend offers.
  static constexpr uint32_t kVolumeControl = 0x50030001;  // MIXERCONTROL_CONTROLTYPE_VOLUME
  static constexpr uint32_t kMuteControl = 0x20010002;    // MIXERCONTROL_CONTROLTYPE_MUTE
  static constexpr uint32_t kLineActive = 1;              // MIXERLINE_LINEF_ACTIVE
  static constexpr uint32_t kSpeakers = 4;                // MIXERLINE_COMPONENTTYPE_DST_SPEAKERS
  static constexpr uint32_t kWaveIn = 7;                  // MIXERLINE_COMPONENTTYPE_DST_WAVEIN

  AlsaMixer();
  ~AlsaMixer();
  AlsaMixer(const AlsaMixer&) = delete;
  AlsaMixer& operator=(const AlsaMixer&) = delete;

  int DeviceCount();
  std::optional<MixerCaps> Caps(int device);
  MixerHandle Open(int device);
  void Close(MixerHandle mixer);
  std::optional<MixerLine> Destination(MixerHandle mixer, uint32_t destination);
  std::optional<std::vector<MixerControl>> Controls(MixerHandle mixer, uint32_t lineId);

  // The descriptors that announce changes of an open device.
  std::vector<pollfd> PollDescriptors(MixerHandle mixer);
  // Reads the device's pending changes and appends their events.
  void Drain(MixerHandle mixer, std::deque<Event>& out);

  struct Device;  // an open card's mixer

 private:
  std::vector<int> Cards();

  std::map<MixerHandle, std::unique_ptr<Device>> open_;
  MixerHandle next_ = 1;
};

}  // namespace tazu
