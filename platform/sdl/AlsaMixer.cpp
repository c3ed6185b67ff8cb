#include "platform/sdl/AlsaMixer.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <string>

namespace tazu {
namespace {

// The classic record's short names hold at most 15 characters.
constexpr size_t kShortNameChars = 15;
// Each line offers up to four controls: playback volume and switch, capture volume and
// switch; a control's identifier is its line's times this, plus its place.
constexpr uint32_t kControlsPerLine = 4;
constexpr uint32_t kMonoChannels = 1;
constexpr uint32_t kStereoChannels = 2;
constexpr uint32_t kMajorShift = 8;

// The ALSA library's version in the classic form: major in the high byte.
uint32_t LibraryVersion() {
  return (static_cast<uint32_t>(SND_LIB_MAJOR) << kMajorShift) | SND_LIB_MINOR;
}

std::string CardName(int card) {
  char* name = nullptr;
  if (snd_card_get_name(card, &name) != 0 || name == nullptr) return "Card " + std::to_string(card);
  std::string result = name;
  free(name);
  return result;
}

std::string ElementName(snd_mixer_elem_t* elem) {
  std::string name = snd_mixer_selem_get_name(elem);
  const unsigned index = snd_mixer_selem_get_index(elem);
  if (index > 0) name += "," + std::to_string(index);
  return name;
}

MixerControl MakeControl(uint32_t id, uint32_t type, const std::string& name, long minimum,
                         long maximum) {
  return {.controlId = id,
          .controlType = type,
          .shortName = name.substr(0, kShortNameChars),
          .name = name,
          .minimum = static_cast<int32_t>(minimum),
          .maximum = static_cast<int32_t>(maximum),
          .steps = maximum > minimum ? static_cast<uint32_t>(maximum - minimum) : 0};
}

}  // namespace

struct AlsaMixer::Device {
  snd_mixer_t* mixer = nullptr;
  std::vector<snd_mixer_elem_t*> lines;  // destination d is lines[d]
  std::deque<Event>* sink = nullptr;     // where element callbacks put events, in Drain
  MixerHandle handle = 0;

  ~Device() {
    if (mixer != nullptr) snd_mixer_close(mixer);
  }

  std::vector<MixerControl> ControlsOf(uint32_t d) const {
    snd_mixer_elem_t* elem = lines[d];
    const std::string name = ElementName(elem);
    const uint32_t base = d * kControlsPerLine;
    std::vector<MixerControl> controls;
    long minimum = 0, maximum = 0;
    if (snd_mixer_selem_has_playback_volume(elem)) {
      snd_mixer_selem_get_playback_volume_range(elem, &minimum, &maximum);
      controls.push_back(MakeControl(base, kVolumeControl, name + " Volume", minimum, maximum));
    }
    if (snd_mixer_selem_has_playback_switch(elem)) {
      controls.push_back(MakeControl(base + 1, kMuteControl, name + " Mute", 0, 1));
    }
    if (snd_mixer_selem_has_capture_volume(elem)) {
      snd_mixer_selem_get_capture_volume_range(elem, &minimum, &maximum);
      controls.push_back(
          MakeControl(base + 2, kVolumeControl, name + " Capture Volume", minimum, maximum));
    }
    if (snd_mixer_selem_has_capture_switch(elem)) {
      controls.push_back(MakeControl(base + 3, kMuteControl, name + " Capture Mute", 0, 1));
    }
    return controls;
  }

  void Notify(snd_mixer_elem_t* elem, unsigned mask) {
    if (sink == nullptr) return;
    const auto found = std::find(lines.begin(), lines.end(), elem);
    if (found == lines.end()) return;
    const auto d = static_cast<uint32_t>(found - lines.begin());
    if (mask == SND_CTL_EVENT_MASK_REMOVE || (mask & SND_CTL_EVENT_MASK_INFO)) {
      sink->push_back({.kind = EventKind::MixerLineChange, .handle = handle, .id = d});
      if (mask == SND_CTL_EVENT_MASK_REMOVE) *found = nullptr;  // the line is gone
      return;
    }
    if (mask & SND_CTL_EVENT_MASK_VALUE) {
      for (const MixerControl& control : ControlsOf(d)) {
        sink->push_back(
            {.kind = EventKind::MixerControlChange, .handle = handle, .id = control.controlId});
      }
    }
  }

  static int OnElement(snd_mixer_elem_t* elem, unsigned mask) {
    auto* device = static_cast<Device*>(snd_mixer_elem_get_callback_private(elem));
    if (device != nullptr) device->Notify(elem, mask);
    return 0;
  }
};

AlsaMixer::AlsaMixer() = default;
AlsaMixer::~AlsaMixer() = default;

std::vector<int> AlsaMixer::Cards() {
  std::vector<int> cards;
  int card = -1;
  while (snd_card_next(&card) == 0 && card >= 0) cards.push_back(card);
  return cards;
}

int AlsaMixer::DeviceCount() { return static_cast<int>(Cards().size()); }

std::optional<MixerCaps> AlsaMixer::Caps(int device) {
  const std::vector<int> cards = Cards();
  if (device < 0 || device >= static_cast<int>(cards.size())) return std::nullopt;
  const int card = cards[static_cast<size_t>(device)];
  MixerCaps caps;
  // ALSA names no vendor: the identifier stays 0 ("0 = Unknown").
  caps.driverVersion = LibraryVersion();
  caps.productId = static_cast<uint16_t>(card);
  caps.productName = CardName(card);
  if (MixerHandle probe = Open(device)) {
    caps.destinations = static_cast<uint32_t>(open_.at(probe)->lines.size());
    Close(probe);
  }
  return caps;
}

MixerHandle AlsaMixer::Open(int device) {
  const std::vector<int> cards = Cards();
  if (device < 0 || device >= static_cast<int>(cards.size())) return 0;
  auto opened = std::make_unique<Device>();
  const std::string name = "hw:" + std::to_string(cards[static_cast<size_t>(device)]);
  if (snd_mixer_open(&opened->mixer, 0) != 0) {
    opened->mixer = nullptr;
    return 0;
  }
  if (snd_mixer_attach(opened->mixer, name.c_str()) != 0 ||
      snd_mixer_selem_register(opened->mixer, nullptr, nullptr) != 0 ||
      snd_mixer_load(opened->mixer) != 0) {
    return 0;
  }
  for (snd_mixer_elem_t* elem = snd_mixer_first_elem(opened->mixer); elem != nullptr;
       elem = snd_mixer_elem_next(elem)) {
    if (!snd_mixer_selem_is_active(elem)) continue;
    snd_mixer_elem_set_callback(elem, &Device::OnElement);
    snd_mixer_elem_set_callback_private(elem, opened.get());
    opened->lines.push_back(elem);
  }
  const MixerHandle handle = next_++;
  opened->handle = handle;
  open_[handle] = std::move(opened);
  return handle;
}

void AlsaMixer::Close(MixerHandle mixer) { open_.erase(mixer); }

std::optional<MixerLine> AlsaMixer::Destination(MixerHandle mixer, uint32_t destination) {
  auto it = open_.find(mixer);
  if (it == open_.end() || destination >= it->second->lines.size()) return std::nullopt;
  snd_mixer_elem_t* elem = it->second->lines[destination];
  if (elem == nullptr) return std::nullopt;
  const bool playback =
      snd_mixer_selem_has_playback_volume(elem) || snd_mixer_selem_has_playback_switch(elem);
  const bool mono =
      playback ? snd_mixer_selem_is_playback_mono(elem) : snd_mixer_selem_is_capture_mono(elem);
  const std::string name = ElementName(elem);
  return MixerLine{.destination = destination,
                   .lineId = destination,
                   .flags = snd_mixer_selem_is_active(elem) ? kLineActive : 0,
                   .componentType = playback ? kSpeakers : kWaveIn,
                   .channels = mono ? kMonoChannels : kStereoChannels,
                   .controls = static_cast<uint32_t>(it->second->ControlsOf(destination).size()),
                   .shortName = name.substr(0, kShortNameChars),
                   .name = name};
}

std::optional<std::vector<MixerControl>> AlsaMixer::Controls(MixerHandle mixer, uint32_t lineId) {
  auto it = open_.find(mixer);
  if (it == open_.end() || lineId >= it->second->lines.size()) return std::nullopt;
  if (it->second->lines[lineId] == nullptr) return std::nullopt;
  return it->second->ControlsOf(lineId);
}

std::vector<pollfd> AlsaMixer::PollDescriptors(MixerHandle mixer) {
  auto it = open_.find(mixer);
  if (it == open_.end()) return {};
  const int count = snd_mixer_poll_descriptors_count(it->second->mixer);
  if (count <= 0) return {};
  std::vector<pollfd> fds(static_cast<size_t>(count));
  const int got =
      snd_mixer_poll_descriptors(it->second->mixer, fds.data(), static_cast<unsigned>(count));
  fds.resize(static_cast<size_t>(std::max(got, 0)));
  return fds;
}

void AlsaMixer::Drain(MixerHandle mixer, std::deque<Event>& out) {
  auto it = open_.find(mixer);
  if (it == open_.end()) return;
  it->second->sink = &out;
  snd_mixer_handle_events(it->second->mixer);
  it->second->sink = nullptr;
}

}  // namespace tazu
