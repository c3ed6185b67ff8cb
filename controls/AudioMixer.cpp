#include "controls/AudioMixer.h"

#include "framework/Application.h"

namespace tazu {

void TPointerList::Clear() {
  if (release_) {
    for (void* item : items_) release_(item);
  }
  items_.clear();
}

// ---- the line tree ----

TMixerControls::TMixerControls(Platform& platform, MixerHandle mixer, const MixerLine& line) {
  auto controls = platform.MixerGetLineControls(mixer, line.lineId);
  if (!controls) return;
  block_ = std::move(*controls);
  // The block holds as many records as the line says it has, never more.
  if (block_.size() > line.controls) block_.resize(line.controls);
  for (MixerControl& control : block_) list_.Add(&control);
}

TMixerConnection::TMixerConnection(Platform& platform, MixerHandle mixer, const MixerLine& line)
    : Data(line), Controls(platform, mixer, Data) {}

TMixerConnections::TMixerConnections(Platform& platform, MixerHandle mixer,
                                     const MixerLine& destination)
    : list_([](void* item) { delete static_cast<TMixerConnection*>(item); }) {
  for (uint32_t s = 0; s < destination.connections; ++s) {
    if (auto line = platform.MixerGetSource(mixer, destination.destination, s)) {
      list_.Add(std::make_unique<TMixerConnection>(platform, mixer, *line).release());
    }
  }
}

TMixerDestination::TMixerDestination(Platform& platform, MixerHandle mixer, const MixerLine& line)
    : Data(line), Connections(platform, mixer, Data), Controls(platform, mixer, Data) {}

TMixerDestinations::TMixerDestinations(Platform& platform, MixerHandle mixer, uint32_t count)
    : list_([](void* item) { delete static_cast<TMixerDestination*>(item); }) {
  for (uint32_t d = 0; d < count; ++d) {
    if (auto line = platform.MixerGetDestination(mixer, d)) {
      list_.Add(std::make_unique<TMixerDestination>(platform, mixer, *line).release());
    }
  }
}

// ---- the component ----

TAudioMixer::TAudioMixer(TComponent* owner) : TComponent(owner) {
  TApplication* app = Application();
  mixerCount_ = app->GetPlatform().MixerDeviceCount();
  auto notice = [this](const Event& event) { Notice(event); };
  lineToken_ = app->AddEventHandler(EventKind::MixerLineChange, notice);
  controlToken_ = app->AddEventHandler(EventKind::MixerControlChange, notice);
  SetMixerId(0);
}

TAudioMixer::~TAudioMixer() {
  CloseMixer();
  Application()->RemoveEventHandler(lineToken_);
  Application()->RemoveEventHandler(controlToken_);
}

void TAudioMixer::CloseMixer() {
  if (mixerId_ >= 0) {
    Application()->GetPlatform().MixerClose(handle_);
    handle_ = 0;
    mixerId_ = -1;
  }
  destinations_.reset();
}

void TAudioMixer::SetMixerId(int value) {
  if (mixerCount_ == 0) return;
  const int device = value >= mixerCount_ ? mixerCount_ - 1 : value;
  CloseMixer();
  if (device < 0) return;
  Platform& platform = Application()->GetPlatform();
  const MixerHandle handle = platform.MixerOpen(device);
  if (handle == 0) return;
  handle_ = handle;
  mixerId_ = device;
  // A device that opens but cannot describe itself keeps the previous identity, and
  // shows no lines.
  const auto caps = platform.MixerGetCaps(device);
  if (caps) {
    caps_ = *caps;
    manufacturer_ = caps_.manufacturerId == kMicrosoft
                        ? std::string("Microsoft")
                        : std::to_string(caps_.manufacturerId) + " = Unknown";
    numberOfLine_ = static_cast<int>(caps_.destinations);
  }
  destinations_ =
      std::make_unique<TMixerDestinations>(platform, handle_, caps ? caps->destinations : 0);
}

void TAudioMixer::Notice(const Event& event) {
  if (handle_ == 0 || event.handle != handle_) return;
  const TMixerChange& handler =
      event.kind == EventKind::MixerLineChange ? OnLineChange : OnControlChange;
  if (handler) handler(this, event.handle, event.id);
}

}  // namespace tazu
