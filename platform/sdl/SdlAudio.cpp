#include "platform/sdl/SdlAudio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string_view>

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

// ---- Standard MIDI File reading: only as far as the duration needs ----

constexpr uint32_t kDefaultTempoUs = 500000;  // microseconds per quarter note: 120 bpm
constexpr int kMaxVarLenBytes = 4;
constexpr size_t kChunkHeaderSize = 8;
constexpr size_t kMidiHeaderSize = 6;
constexpr uint8_t kMetaEvent = 0xFF;
constexpr uint8_t kSysEx = 0xF0;
constexpr uint8_t kSysExEscape = 0xF7;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr size_t kTempoBytes = 3;
constexpr uint16_t kSmpteDivision = 0x8000;
constexpr double kUsPerMs = 1000.0;
constexpr double kUsPerSecond = 1e6;
constexpr double kDropFrameRate = 29.97;
constexpr int kDropFrameCode = 29;
constexpr size_t kRiffHeaderSize = 12;

// A bounds-checked reader over a byte range; every read reports whether it fitted.
class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(data == nullptr ? 0 : size) {}
  size_t Left() const { return size_ - pos_; }
  size_t Pos() const { return pos_; }
  bool Skip(size_t n) {
    if (n > Left()) return false;
    pos_ += n;
    return true;
  }
  bool Byte(uint8_t& out) {
    if (Left() < 1) return false;
    out = data_[pos_++];
    return true;
  }
  bool BigEndian(size_t bytes, uint32_t& out) {
    if (Left() < bytes) return false;
    out = 0;
    for (size_t i = 0; i < bytes; ++i) out = (out << 8) | data_[pos_++];
    return true;
  }
  bool LittleEndian32(uint32_t& out) {
    if (Left() < 4) return false;
    out = 0;
    for (int i = 3; i >= 0; --i) out = (out << 8) | data_[pos_ + static_cast<size_t>(i)];
    pos_ += 4;
    return true;
  }
  bool Tag(std::string_view tag) {
    if (Left() < tag.size() || std::memcmp(data_ + pos_, tag.data(), tag.size()) != 0) return false;
    pos_ += tag.size();
    return true;
  }
  // A variable-length quantity: 7 bits a byte, at most four bytes.
  bool VarLen(uint32_t& out) {
    out = 0;
    for (int i = 0; i < kMaxVarLenBytes; ++i) {
      uint8_t b = 0;
      if (!Byte(b)) return false;
      out = (out << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) return true;
    }
    return false;
  }
  const uint8_t* Here() const { return data_ + pos_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

struct TempoChange {
  uint64_t tick;
  uint32_t usPerQuarter;
};

// Data bytes that follow a channel status byte.
int ChannelDataBytes(uint8_t status) {
  const uint8_t kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

bool SkipMetaOrSysEx(ByteReader& r, uint8_t status, uint64_t tick, std::vector<TempoChange>& tempos,
                     bool& endOfTrack) {
  uint8_t type = 0;
  if (status == kMetaEvent && !r.Byte(type)) return false;
  uint32_t length = 0;
  if (!r.VarLen(length) || length > r.Left()) return false;
  if (status == kMetaEvent && type == kMetaTempo && length >= kTempoBytes) {
    const uint8_t* p = r.Here();
    const uint32_t us = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
    if (us > 0) tempos.push_back({tick, us});
  }
  if (status == kMetaEvent && type == kMetaEndOfTrack) endOfTrack = true;
  return r.Skip(length);
}

// Walks one track's events; returns its last tick, or nothing when it is malformed.
std::optional<uint64_t> ReadTrack(ByteReader r, std::vector<TempoChange>& tempos) {
  uint64_t tick = 0;
  uint8_t running = 0;  // running status: the last channel status byte
  bool endOfTrack = false;
  while (r.Left() > 0 && !endOfTrack) {
    uint32_t delta = 0;
    uint8_t first = 0;
    if (!r.VarLen(delta) || !r.Byte(first)) return std::nullopt;
    tick += delta;
    if (first == kMetaEvent || first == kSysEx || first == kSysExEscape) {
      running = 0;
      if (!SkipMetaOrSysEx(r, first, tick, tempos, endOfTrack)) return std::nullopt;
      continue;
    }
    int data = 0;
    if (first & 0x80) {
      if (first > kSysEx) return std::nullopt;  // real-time bytes do not belong in files
      running = first;
      data = ChannelDataBytes(first);
    } else {
      if (running == 0) return std::nullopt;
      data = ChannelDataBytes(running) - 1;  // `first` was the first data byte
    }
    if (!r.Skip(static_cast<size_t>(data))) return std::nullopt;
  }
  return tick;
}

// Converts ticks to milliseconds along the tempo map.
double TicksToMs(uint64_t endTick, uint16_t division, std::vector<TempoChange> tempos) {
  if (division & kSmpteDivision) {
    const int code = -static_cast<int8_t>(division >> 8);
    const double fps = code == kDropFrameCode ? kDropFrameRate : code;
    const double ticksPerSecond = fps * (division & 0xFF);
    return static_cast<double>(endTick) / ticksPerSecond * kUsPerSecond / kUsPerMs;
  }
  std::stable_sort(tempos.begin(), tempos.end(),
                   [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
  double us = 0;
  uint64_t at = 0;
  uint32_t tempo = kDefaultTempoUs;
  for (const TempoChange& t : tempos) {
    if (t.tick >= endTick) break;
    us += static_cast<double>(t.tick - at) * tempo / division;
    at = t.tick;
    tempo = t.usPerQuarter;
  }
  us += static_cast<double>(endTick - at) * tempo / division;
  return us / kUsPerMs;
}

// The MIDI data of an RMID file (a RIFF file with a "data" chunk), or the bytes as they are.
ByteReader MidiBytes(const std::vector<uint8_t>& file) {
  ByteReader r(file.data(), file.size());
  if (!r.Tag("RIFF") || !r.Skip(4) || !r.Tag("RMID")) return ByteReader(file.data(), file.size());
  while (r.Left() >= kChunkHeaderSize) {
    const bool isData = r.Tag("data");
    if (!isData) r.Skip(4);
    uint32_t size = 0;
    r.LittleEndian32(size);
    const size_t take = std::min<size_t>(size, r.Left());
    if (isData) return ByteReader(r.Here(), take);
    r.Skip(take);
    r.Skip(take & 1);  // chunks are padded to even sizes
  }
  return ByteReader(nullptr, 0);
}

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

std::optional<uint32_t> MidiDurationMs(const std::vector<uint8_t>& file) {
  ByteReader r = MidiBytes(file);
  uint32_t headerLength = 0, format = 0, tracks = 0, division = 0;
  if (!r.Tag("MThd") || !r.BigEndian(4, headerLength) || headerLength < kMidiHeaderSize ||
      !r.BigEndian(2, format) || !r.BigEndian(2, tracks) || !r.BigEndian(2, division) ||
      !r.Skip(headerLength - kMidiHeaderSize)) {
    return std::nullopt;
  }
  if ((division & ~kSmpteDivision) == 0 || (division & kSmpteDivision && (division & 0xFF) == 0)) {
    return std::nullopt;
  }
  std::vector<TempoChange> tempos;
  uint64_t endTick = 0;
  bool anyTrack = false;
  while (r.Left() >= kChunkHeaderSize) {
    const bool isTrack = r.Tag("MTrk");
    if (!isTrack) r.Skip(4);
    uint32_t length = 0;
    r.BigEndian(4, length);
    const size_t take = std::min<size_t>(length, r.Left());  // a short last chunk is read as is
    if (isTrack) {
      const std::optional<uint64_t> last = ReadTrack(ByteReader(r.Here(), take), tempos);
      if (!last) return std::nullopt;
      endTick = std::max(endTick, *last);
      anyTrack = true;
    }
    r.Skip(take);
  }
  if (!anyTrack) return std::nullopt;
  const double ms = TicksToMs(endTick, static_cast<uint16_t>(division), std::move(tempos));
  return static_cast<uint32_t>(std::clamp(ms + 0.5, 0.0, static_cast<double>(UINT32_MAX)));
}

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
    length = seconds > 0 ? static_cast<uint32_t>(seconds * kUsPerMs) : 0;
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
  if (positionMs_ > 0 && Mix_SetMusicPosition(positionMs_ / kUsPerMs) != 0) {
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
