#include "platform/sdl/SdlAudio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "archive/MidiFile.h"
#include "base/Paths.h"
#include "base/Streams.h"
#include "base/Text.h"

namespace tazu {
namespace {

constexpr int kSampleRate = 44100;
constexpr int kOutputChannels = 2;
constexpr int kChunkSamples = 1024;
constexpr int kCueChannel = 0;  // reserved, so music effects and other sounds never take it
constexpr int kPlayOnce = 1;
constexpr double kMsPerSecond = 1000.0;

bool IsMidiName(const std::string& file) {
  const std::string lower = LowerCase(file);
  for (const char* ext : {".mid", ".midi", ".rmi", ".kar"}) {
    const size_t n = std::strlen(ext);
    if (lower.size() >= n && lower.compare(lower.size() - n, n, ext) == 0) return true;
  }
  return false;
}

void AddNonEmpty(std::vector<std::string>& list, const std::string& path) {
  if (!path.empty()) list.push_back(path);
}

// SDL_mixer's own separators for path lists.
void AddPathList(std::vector<std::string>& list, const char* paths) {
  if (paths == nullptr) return;
  std::string item;
  for (const char* p = paths;; ++p) {
    if (*p == '\0' || *p == ':' || *p == ';') {
      AddNonEmpty(list, item);
      item.clear();
      if (*p == '\0') break;
    } else {
      item += *p;
    }
  }
}

const std::string* FirstExisting(const std::vector<std::string>& paths) {
  for (const std::string& p : paths) {
    if (FileExists(p)) return &p;
  }
  return nullptr;
}

// SDL_mixer's finished hook has no user data; one mixer exists per process.
std::atomic<SdlAudio*> gHookTarget{nullptr};

void SDLCALL OnMusicFinished() {
  if (SdlAudio* audio = gHookTarget.load()) audio->MusicFinished();
}

}  // namespace

MidiSetup MidiSetup::Default() {
  MidiSetup setup;
  AddPathList(setup.soundFonts, std::getenv("SDL_SOUNDFONTS"));
  setup.soundFonts.push_back("/usr/share/sounds/sf2/FluidR3_GM.sf2");
  setup.soundFonts.push_back("/usr/share/sounds/sf2/default-GM.sf2");
  setup.soundFonts.push_back("/usr/share/soundfonts/default.sf2");
  setup.soundFonts.push_back("/usr/share/soundfonts/FluidR3_GM.sf2");
  AddPathList(setup.timidityConfigs, std::getenv("TIMIDITY_CFG"));
  setup.timidityConfigs.push_back("/etc/timidity.cfg");
  setup.timidityConfigs.push_back("/etc/timidity/freepats.cfg");
  return setup;
}

SdlAudio::SdlAudio(uint32_t eventType, MidiSetup midi)
    : eventType_(eventType), midi_(std::move(midi)) {}

SdlAudio::~SdlAudio() {
  if (!deviceOpen_) return;
  Mix_HookMusicFinished(nullptr);  // takes the audio lock: no hook runs after this
  gHookTarget.store(nullptr);
  Mix_HaltChannel(-1);
  Mix_HaltMusic();
  if (music_ != nullptr) Mix_FreeMusic(music_);
  if (cue_ != nullptr) Mix_FreeChunk(cue_);
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlAudio::OpenDevice() {
  if (deviceTried_) return deviceOpen_;
  deviceTried_ = true;
  // The instruments must be named before the MIDI players start.
  if (const std::string* font = FirstExisting(midi_.soundFonts)) {
    midiConfigured_ = Mix_SetSoundFonts(font->c_str()) != 0;
  }
  if (const std::string* cfg = FirstExisting(midi_.timidityConfigs)) {
    Mix_SetTimidityCfg(cfg->c_str());
    midiConfigured_ = true;
  }
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    deviceError_ = SDL_GetError();
    return false;
  }
  Mix_Init(MIX_INIT_MID);
  if (Mix_OpenAudio(kSampleRate, MIX_DEFAULT_FORMAT, kOutputChannels, kChunkSamples) != 0) {
    deviceError_ = Mix_GetError();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  Mix_ReserveChannels(kCueChannel + 1);
  const char* driver = SDL_GetCurrentAudioDriver();
  realDevice_ = driver != nullptr && std::strcmp(driver, "dummy") != 0;
  gHookTarget.store(this);
  Mix_HookMusicFinished(&OnMusicFinished);
  deviceOpen_ = true;
  return true;
}

void SdlAudio::MusicFinished() {
  const auto mode = static_cast<HookMode>(hookMode_.load());
  if (mode == HookMode::Silent) return;
  if (mode == HookMode::NaturalEnd) endedNaturally_.store(true);
  SDL_Event e{};
  e.type = eventType_;
  e.user.code = kMusicNotifyCode;
  SDL_PushEvent(&e);
}

void SdlAudio::Halt(HookMode mode) {
  hookMode_.store(static_cast<int>(mode));
  Mix_HaltMusic();  // runs the hook before it returns when music was playing
  hookMode_.store(static_cast<int>(HookMode::NaturalEnd));
}

void SdlAudio::Settle() {
  if (playing_ && endedNaturally_.exchange(false)) {
    playing_ = false;
    positionMs_ = lengthMs_;
  }
}

uint32_t SdlAudio::ElapsedMs() {
  if (!playing_) return positionMs_;
  const uint64_t elapsed = positionMs_ + (SDL_GetTicks64() - playStartTicks_);
  // Only the end notice makes the position reach the length.
  if (lengthMs_ > 0) return static_cast<uint32_t>(std::min<uint64_t>(elapsed, lengthMs_ - 1));
  return static_cast<uint32_t>(std::min<uint64_t>(elapsed, UINT32_MAX));
}

std::optional<std::string> SdlAudio::MusicOpen(const std::string& file) {
  MusicClose();
  if (!OpenDevice()) return "No sound output device is available: " + deviceError_;
  const bool midi = IsMidiName(file);
  if (midi && !midiConfigured_) return std::string("No MIDI sound font is installed");
  const std::string path = ResolvePath(file);
  std::vector<uint8_t> bytes;
  try {
    bytes = ReadWholeFile(path);
  } catch (const std::exception& e) {
    return std::string(e.what());
  }
  Mix_Music* music = Mix_LoadMUS(path.c_str());
  if (music == nullptr) {
    const std::string error = Mix_GetError();
    return error.empty() ? "The file \"" + file + "\" cannot be played" : error;
  }
  std::optional<uint32_t> length = midi ? MidiDurationMs(bytes) : std::nullopt;
  if (midi && !length && Mix_GetMusicType(music) == MUS_MID) {
    // The synthesizer takes almost anything; a file without readable tracks plays nothing.
    Mix_FreeMusic(music);
    return "The file \"" + file + "\" is not a valid MIDI file";
  }
  if (!length) {
    const double seconds = Mix_MusicDuration(music);
    length = seconds > 0 ? static_cast<uint32_t>(seconds * kMsPerSecond) : 0;
  }
  music_ = music;
  lengthMs_ = *length;
  positionMs_ = 0;
  playing_ = false;
  return std::nullopt;
}

void SdlAudio::MusicClose() {
  if (music_ == nullptr) return;
  Halt(HookMode::Silent);
  Mix_FreeMusic(music_);
  music_ = nullptr;
  lengthMs_ = positionMs_ = 0;
  playing_ = false;
  endedNaturally_.store(false);
}

void SdlAudio::MusicPlay() {
  if (music_ == nullptr) return;
  Settle();
  if (playing_) return;
  if (lengthMs_ > 0 && positionMs_ >= lengthMs_) positionMs_ = 0;  // played out: from the top
  endedNaturally_.store(false);
  if (Mix_PlayMusic(music_, kPlayOnce) != 0) return;  // a refusal is silent
  if (positionMs_ > 0 && Mix_SetMusicPosition(positionMs_ / kMsPerSecond) != 0) {
    positionMs_ = 0;  // this kind of music cannot seek: it plays from the start
  }
  playStartTicks_ = SDL_GetTicks64();
  playing_ = true;
}

void SdlAudio::MusicStop() {
  if (music_ == nullptr) return;
  Settle();
  if (!playing_) return;
  positionMs_ = ElapsedMs();
  playing_ = false;
  Halt(HookMode::Interrupted);
}

void SdlAudio::MusicRewind() {
  if (music_ == nullptr) return;
  MusicStop();  // seeking stops a playing device
  positionMs_ = 0;
}

MusicMode SdlAudio::MusicGetMode() {
  if (music_ == nullptr) return MusicMode::NotReady;
  Settle();
  return playing_ ? MusicMode::Playing : MusicMode::Stopped;
}

uint32_t SdlAudio::MusicPosition() {
  if (music_ == nullptr) return 0;
  Settle();
  return ElapsedMs();
}

uint32_t SdlAudio::MusicLength() { return music_ == nullptr ? 0 : lengthMs_; }

int SdlAudio::WaveOutDeviceCount() {
  if (!OpenDevice() || !realDevice_) return 0;
  return std::max(1, SDL_GetNumAudioDevices(0));
}

bool SdlAudio::PlayWave(const std::vector<uint8_t>& riffFile) {
  if (riffFile.empty() || riffFile.size() > static_cast<size_t>(INT_MAX) || !OpenDevice()) {
    return false;
  }
  SDL_RWops* rw = SDL_RWFromConstMem(riffFile.data(), static_cast<int>(riffFile.size()));
  if (rw == nullptr) return false;
  Mix_Chunk* chunk = Mix_LoadWAV_RW(rw, 1);  // decodes into a chunk of its own
  if (chunk == nullptr) return false;
  StopWave();
  cue_ = chunk;
  return Mix_PlayChannel(kCueChannel, cue_, 0) >= 0;
}

void SdlAudio::StopWave() {
  if (!deviceOpen_) return;
  Mix_HaltChannel(kCueChannel);
  if (cue_ != nullptr) Mix_FreeChunk(cue_);  // only after the halt: the mixer reads it
  cue_ = nullptr;
}

}  // namespace tazu
