// The Linux music player and cue player over SDL2_mixer. MIDI goes through a General
// MIDI sound font (FluidSynth) or a timidity configuration; the end of a piece is
// reported by SDL_mixer on its audio thread and posted to the event loop as an SDL
// user event. Cues are decoded from memory and played on one reserved channel.
// The audio device is opened on first use; without one every command degrades to
// nothing instead of failing.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

struct _Mix_Music;
struct Mix_Chunk;

namespace tazu {

// The SDL user event code that marks a music notice (Wake events carry code 0).
constexpr int32_t kMusicNotifyCode = 1;

// Where MIDI instruments may come from, first usable one wins.
struct MidiSetup {
  std::vector<std::string> soundFonts;       // General MIDI sound fonts (.sf2)
  std::vector<std::string> timidityConfigs;  // timidity configurations (.cfg)
  // Debian's places, and SDL_SOUNDFONTS / TIMIDITY_CFG when set.
  static MidiSetup Default();
};

class SdlAudio {
 public:
  // `eventType` is the registered SDL user event that carries music notices (with
  // kMusicNotifyCode). The events subsystem must be running.
  SdlAudio(uint32_t eventType, MidiSetup midi = MidiSetup::Default());
  ~SdlAudio();
  SdlAudio(const SdlAudio&) = delete;
  SdlAudio& operator=(const SdlAudio&) = delete;

  std::optional<std::string> MusicOpen(const std::string& file);
  void MusicClose();
  void MusicPlay();
  void MusicStop();
  void MusicRewind();
  MusicMode MusicGetMode();
  uint32_t MusicPosition();
  uint32_t MusicLength();

  int WaveOutDeviceCount();
  bool PlayWave(const std::vector<uint8_t>& riffFile);
  void StopWave();

  // Called by SDL_mixer's audio thread when the music ends or is halted.
  void MusicFinished();

 private:
  // What the finished hook does with the next end of the music.
  enum class HookMode : int { NaturalEnd, Interrupted, Silent };

  bool OpenDevice();
  std::optional<std::string> MidiUnavailable() const;
  void Halt(HookMode mode);
  void Settle();
  uint32_t ElapsedMs();

  uint32_t eventType_;
  MidiSetup midi_;
  bool deviceTried_ = false;
  bool deviceOpen_ = false;
  bool realDevice_ = false;  // false for SDL's dummy driver, which plays nothing
  bool midiConfigured_ = false;
  std::string deviceError_;

  _Mix_Music* music_ = nullptr;
  uint32_t lengthMs_ = 0;
  uint32_t positionMs_ = 0;      // where the last play stopped (or will start)
  uint64_t playStartTicks_ = 0;  // SDL ticks when the current play started
  bool playing_ = false;
  std::atomic<int> hookMode_{static_cast<int>(HookMode::NaturalEnd)};
  std::atomic<bool> endedNaturally_{false};

  Mix_Chunk* cue_ = nullptr;
};

}  // namespace tazu
