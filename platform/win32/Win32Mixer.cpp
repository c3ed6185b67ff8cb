#include "platform/win32/Win32Mixer.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <mmsystem.h>

namespace tazu {
namespace {

// More controls than any line has; a larger count from a driver is not believed.
constexpr DWORD kMaxControls = 256;

HMIXEROBJ Object(MixerHandle mixer) { return reinterpret_cast<HMIXEROBJ>(mixer); }

MixerLine LineOf(const MIXERLINEA& in) {
  MixerLine line;
  line.destination = in.dwDestination;
  line.source = in.dwSource;
  line.lineId = in.dwLineID;
  line.flags = in.fdwLine;
  line.componentType = in.dwComponentType;
  line.channels = in.cChannels;
  line.connections = in.cConnections;
  line.controls = in.cControls;
  line.shortName = in.szShortName;
  line.name = in.szName;
  return line;
}

MixerControl ControlOf(const MIXERCONTROLA& in) {
  MixerControl control;
  control.controlId = in.dwControlID;
  control.controlType = in.dwControlType;
  control.controlFlags = in.fdwControl;
  control.multipleItems = in.cMultipleItems;
  control.shortName = in.szShortName;
  control.name = in.szName;
  control.minimum = in.Bounds.lMinimum;
  control.maximum = in.Bounds.lMaximum;
  control.steps = in.Metrics.cSteps;
  return control;
}

std::optional<MixerLine> LineInfo(MixerHandle mixer, MIXERLINEA& line, DWORD flags) {
  line.cbStruct = sizeof(line);
  if (mixerGetLineInfoA(Object(mixer), &line, MIXER_OBJECTF_HMIXER | flags) != MMSYSERR_NOERROR)
    return std::nullopt;
  return LineOf(line);
}

}  // namespace

Win32Mixer::~Win32Mixer() {
  for (MixerHandle mixer : open_) mixerClose(reinterpret_cast<HMIXER>(mixer));
}

int Win32Mixer::DeviceCount() const { return static_cast<int>(mixerGetNumDevs()); }

std::optional<MixerCaps> Win32Mixer::Caps(int device) const {
  MIXERCAPSA caps{};
  if (device < 0 ||
      mixerGetDevCapsA(static_cast<UINT_PTR>(device), &caps, sizeof(caps)) != MMSYSERR_NOERROR)
    return std::nullopt;
  MixerCaps out;
  out.manufacturerId = caps.wMid;
  out.productId = caps.wPid;
  out.driverVersion = caps.vDriverVersion;
  out.productName = caps.szPname;
  out.destinations = caps.cDestinations;
  return out;
}

MixerHandle Win32Mixer::Open(int device) {
  HMIXER mixer = nullptr;
  if (device < 0 ||
      mixerOpen(&mixer, static_cast<UINT>(device), reinterpret_cast<DWORD_PTR>(noticeWindow_), 0,
                CALLBACK_WINDOW) != MMSYSERR_NOERROR)
    return 0;
  const auto handle = reinterpret_cast<MixerHandle>(mixer);
  open_.insert(handle);
  return handle;
}

void Win32Mixer::Close(MixerHandle mixer) {
  if (open_.erase(mixer) != 0) mixerClose(reinterpret_cast<HMIXER>(mixer));
}

std::optional<MixerLine> Win32Mixer::Destination(MixerHandle mixer, uint32_t destination) const {
  if (!open_.contains(mixer)) return std::nullopt;
  MIXERLINEA line{};
  line.dwDestination = destination;
  return LineInfo(mixer, line, MIXER_GETLINEINFOF_DESTINATION);
}

std::optional<MixerLine> Win32Mixer::Source(MixerHandle mixer, uint32_t destination,
                                            uint32_t source) const {
  if (!open_.contains(mixer)) return std::nullopt;
  MIXERLINEA line{};
  line.dwDestination = destination;
  line.dwSource = source;
  return LineInfo(mixer, line, MIXER_GETLINEINFOF_SOURCE);
}

std::optional<std::vector<MixerControl>> Win32Mixer::Controls(MixerHandle mixer,
                                                              uint32_t lineId) const {
  if (!open_.contains(mixer)) return std::nullopt;
  MIXERLINEA line{};
  line.dwLineID = lineId;
  auto info = LineInfo(mixer, line, MIXER_GETLINEINFOF_LINEID);
  if (!info || info->controls > kMaxControls) return std::nullopt;
  std::vector<MixerControl> out;
  if (info->controls == 0) return out;
  std::vector<MIXERCONTROLA> controls(info->controls);
  MIXERLINECONTROLSA request{};
  request.cbStruct = sizeof(request);
  request.dwLineID = lineId;
  request.cControls = info->controls;
  request.cbmxctrl = sizeof(MIXERCONTROLA);
  request.pamxctrl = controls.data();
  if (mixerGetLineControlsA(Object(mixer), &request,
                            MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ALL) != MMSYSERR_NOERROR)
    return std::nullopt;
  for (const MIXERCONTROLA& c : controls) out.push_back(ControlOf(c));
  return out;
}

}  // namespace tazu
