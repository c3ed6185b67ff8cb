#include "platform/win32/Win32Media.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <mmsystem.h>

#include <array>

namespace tazu {
namespace {

constexpr size_t kErrorTextSize = 256;

std::string ErrorText(MCIERROR error) {
  std::array<char, kErrorTextSize> text{};
  if (!mciGetErrorStringA(error, text.data(), static_cast<UINT>(text.size())))
    return "Unknown MCI error";
  return text.data();
}

MusicMode ModeOf(DWORD_PTR mode) {
  switch (mode) {
    case MCI_MODE_STOP:
      return MusicMode::Stopped;
    case MCI_MODE_PLAY:
      return MusicMode::Playing;
    case MCI_MODE_SEEK:
      return MusicMode::Seeking;
    case MCI_MODE_PAUSE:
      return MusicMode::Paused;
    case MCI_MODE_OPEN:
      return MusicMode::Open;
    default:
      return MusicMode::NotReady;
  }
}

}  // namespace

Win32Media::~Win32Media() {
  Close();
  StopWave();
}

std::optional<std::string> Win32Media::Open(const std::string& file) {
  Close();
  MCI_OPEN_PARMSA open{};
  open.lpstrElementName = file.c_str();
  // No device type: MCI chooses it from the file's extension.
  const MCIERROR error =
      mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&open));
  if (error != 0) return ErrorText(error);
  device_ = open.wDeviceID;
  MCI_SET_PARMS format{};
  format.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
  mciSendCommandA(device_, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT,
                  reinterpret_cast<DWORD_PTR>(&format));
  return std::nullopt;
}

void Win32Media::Close() {
  if (device_ == 0) return;
  mciSendCommandA(device_, MCI_CLOSE, MCI_WAIT, 0);
  device_ = 0;
}

void Win32Media::Play() {
  if (device_ == 0) return;
  MCI_PLAY_PARMS play{};
  play.dwCallback = reinterpret_cast<DWORD_PTR>(noticeWindow_);
  mciSendCommandA(device_, MCI_PLAY, MCI_NOTIFY, reinterpret_cast<DWORD_PTR>(&play));
}

void Win32Media::Stop() {
  if (device_ != 0) mciSendCommandA(device_, MCI_STOP, MCI_WAIT, 0);
}

void Win32Media::Rewind() {
  if (device_ != 0) mciSendCommandA(device_, MCI_SEEK, MCI_SEEK_TO_START | MCI_WAIT, 0);
}

uint32_t Win32Media::Status(uint32_t item) {
  if (device_ == 0) return 0;
  MCI_STATUS_PARMS status{};
  status.dwItem = item;
  if (mciSendCommandA(device_, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT,
                      reinterpret_cast<DWORD_PTR>(&status)) != 0)
    return 0;
  return static_cast<uint32_t>(status.dwReturn);
}

MusicMode Win32Media::Mode() {
  return device_ == 0 ? MusicMode::NotReady : ModeOf(Status(MCI_STATUS_MODE));
}

uint32_t Win32Media::Position() { return Status(MCI_STATUS_POSITION); }
uint32_t Win32Media::Length() { return Status(MCI_STATUS_LENGTH); }

int Win32Media::WaveDeviceCount() const { return static_cast<int>(waveOutGetNumDevs()); }

bool Win32Media::PlayWave(const std::vector<uint8_t>& riffFile) {
  if (riffFile.empty()) return false;
  // The new cue cuts off the old one before the old one's bytes are given up.
  std::vector<uint8_t> next(riffFile);
  const BOOL played =
      sndPlaySoundA(reinterpret_cast<LPCSTR>(next.data()), SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
  wave_.swap(next);
  return played != FALSE;
}

void Win32Media::StopWave() {
  sndPlaySoundA(nullptr, SND_MEMORY);
  wave_.clear();
}

}  // namespace tazu
