// Music through the Media Control Interface (one MIDI file open at a time, completion
// posted as MM_MCINOTIFY to the notice window) and sound cues through sndPlaySoundA
// from memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace tazu {

class Win32Media {
 public:
  explicit Win32Media(void* noticeWindow) : noticeWindow_(noticeWindow) {}
  ~Win32Media();
  Win32Media(const Win32Media&) = delete;
  Win32Media& operator=(const Win32Media&) = delete;

  std::optional<std::string> Open(const std::string& file);
  void Close();
  void Play();
  void Stop();
  void Rewind();
  MusicMode Mode();
  uint32_t Position();
  uint32_t Length();

  int WaveDeviceCount() const;
  bool PlayWave(const std::vector<uint8_t>& riffFile);
  void StopWave();

 private:
  uint32_t Status(uint32_t item);

  void* noticeWindow_;
  uint32_t device_ = 0;  // the open MCI device, 0 when none
  // The cue being played: sndPlaySoundA reads it while it plays.
  std::vector<uint8_t> wave_;
};

}  // namespace tazu
