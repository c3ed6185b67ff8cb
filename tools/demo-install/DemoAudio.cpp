#include "tools/demo-install/DemoAudio.h"

#include "tools/demo-install/DemoInstall.h"
#include "tools/demo-install/DemoSpeech.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <tuple>

namespace fs = std::filesystem;

namespace tazu::demo {
namespace {

// ---- Standard MIDI File ----

constexpr int kTicksPerQuarter = 480;
constexpr int kTicksPerEighth = kTicksPerQuarter / 2;
constexpr uint32_t kUsPerMinute = 60000000;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kMelodyVelocity = 96;
constexpr uint8_t kBassVelocity = 72;
constexpr uint8_t kReleaseVelocity = 64;
constexpr int kMelodyChannel = 0;
constexpr int kBassChannel = 1;

struct TimedEvent {
  uint32_t tick;
  int order;  // at one tick: note-offs first, then note-ons
  std::vector<uint8_t> bytes;
};

void Put32BE(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutVarLen(std::vector<uint8_t>& out, uint32_t v) {
  std::array<uint8_t, 5> groups{};
  int n = 0;
  do {
    groups[n++] = static_cast<uint8_t>(v & 0x7F);
    v >>= 7;
  } while (v != 0);
  while (n-- > 0) out.push_back(static_cast<uint8_t>(groups[n] | (n > 0 ? 0x80 : 0)));
}

uint32_t VoiceTicks(const std::vector<MidiNote>& voice) {
  uint32_t ticks = 0;
  for (const MidiNote& n : voice) ticks += static_cast<uint32_t>(n.eighths * kTicksPerEighth);
  return ticks;
}

void AddVoice(std::vector<TimedEvent>& events, const std::vector<MidiNote>& voice, int channel,
              uint8_t velocity) {
  uint32_t tick = 0;
  for (const MidiNote& n : voice) {
    const uint32_t length = static_cast<uint32_t>(n.eighths * kTicksPerEighth);
    if (n.key >= 0 && n.key <= 127 && length > 0) {
      const auto key = static_cast<uint8_t>(n.key);
      events.push_back({tick, 1, {static_cast<uint8_t>(kNoteOn | channel), key, velocity}});
      events.push_back(
          {tick + length, 0, {static_cast<uint8_t>(kNoteOff | channel), key, kReleaseVelocity}});
    }
    tick += length;
  }
}

// ---- WAVE ----

constexpr uint32_t kToneSampleRate = 22050;
constexpr double kToneAmplitude = 12000.0;
constexpr uint32_t kFadeSamples = 400;  // no click at either end
constexpr uint16_t kPcmFormat = 1;
constexpr uint16_t kBitsPerSample = 16;
constexpr uint32_t kFmtChunkSize = 16;

void Put32LE(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16LE(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

// ---- the install ----

struct Prompt {
  const char* file;
  const char* afrikaans;
  const char* english;
  double toneHertz;  // the stand-in when no speech synthesizer is there
};

constexpr std::array<Prompt, 3> kPrompts{{
    {"in1.wav", "Welkom by Pelkor! Tik jou naam.", "Welcome to Pelkor! Type your name.", 523.25},
    {"in2.wav", "Tik jou naam en druk dan Enter.", "Type your name, then press Enter.", 659.25},
    {"in6.wav", "Welkom terug! Kies 'n vak.", "Welcome back! Choose a subject.", 783.99},
}};
constexpr uint32_t kToneMs = 600;

struct Voice {
  const char* folder;
  const char* espeakVoice;
  bool afrikaans;
};
constexpr std::array<Voice, 2> kVoices{{{"Sounds_afr", "af", true}, {"Sounds_eng", "en", false}}};

void MakePrompts(const fs::path& root) {
  bool warned = false;
  for (const Voice& v : kVoices) {
    fs::create_directories(root / v.folder);
    for (const Prompt& p : kPrompts) {
      const fs::path file = root / v.folder / p.file;
      if (Speak(v.espeakVoice, v.afrikaans ? p.afrikaans : p.english, file)) continue;
      if (!warned) {
        std::fprintf(stderr,
                     "tazu-demo-install: warning: espeak-ng could not speak the prompts; "
                     "tones are installed instead\n");
        warned = true;
      }
      WriteDemoFile(file, ToneWav(p.toneHertz, kToneMs));
    }
  }
}

std::vector<MidiNote> Quarters(std::initializer_list<int> keys) {
  std::vector<MidiNote> notes;
  for (int k : keys) notes.push_back({k, 2});
  return notes;
}

std::vector<MidiNote> Repeat(const std::vector<MidiNote>& part, int times) {
  std::vector<MidiNote> out;
  for (int i = 0; i < times; ++i) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// General MIDI programs used by the pieces.
constexpr int kPiano = 0;
constexpr int kMarimba = 12;
constexpr int kFlute = 73;
constexpr int kVibraphone = 11;

std::vector<std::pair<const char*, MidiPiece>> DemoPieces() {
  MidiPiece first;  // 32 beats at 120: 16 seconds
  first.beatsPerMinute = 120;
  first.program = kPiano;
  first.melody = Quarters({60, 62, 64, 67, 69, 67, 64, 62, 60, 64, 67, 69, 72, 69, 67, 64,
                           62, 64, 67, 64, 62, 60, 62, 64, 67, 69, 67, 64, 62, 62, 60, -1});
  first.bass = Repeat({{48, 8}, {53, 8}, {55, 8}, {48, 8}}, 2);

  MidiPiece second;  // 24 beats at 100: 14.4 seconds
  second.beatsPerMinute = 100;
  second.program = kFlute;
  second.bassProgram = kVibraphone;
  second.melody = Quarters({67, 69, 71, 74, 71, 69, 67, -1, 64, 67, 69, 67,
                            64, 62, 64, -1, 67, 71, 74, 76, 74, 71, 69, 67});
  second.bass = Repeat({{43, 8}, {48, 8}, {50, 8}}, 2);

  MidiPiece third;  // 40 beats at 140: about 17 seconds
  third.beatsPerMinute = 140;
  third.program = kMarimba;
  third.melody = Repeat(
      Quarters({65, 69, 72, 69, 67, 70, 74, 70, 65, 67, 69, 72, 77, 72, 69, -1, 72, 70, 69, 67}),
      2);
  third.bass = Repeat({{41, 8}, {46, 8}, {48, 8}, {41, 8}, {46, 8}}, 2);

  return {{"pelkor2.mid", first}, {"tazu_reen.mid", second}, {"tazu_son.mid", third}};
}

}  // namespace

std::vector<uint8_t> WriteMidiFile(const MidiPiece& piece) {
  std::vector<TimedEvent> events;
  AddVoice(events, piece.melody, kMelodyChannel, kMelodyVelocity);
  AddVoice(events, piece.bass, kBassChannel, kBassVelocity);
  std::stable_sort(events.begin(), events.end(), [](const TimedEvent& a, const TimedEvent& b) {
    return std::tie(a.tick, a.order) < std::tie(b.tick, b.order);
  });
  const uint32_t usPerQuarter =
      kUsPerMinute / static_cast<uint32_t>(std::max(1, piece.beatsPerMinute));
  std::vector<uint8_t> track = {0x00,
                                0xFF,
                                0x51,
                                0x03,
                                static_cast<uint8_t>(usPerQuarter >> 16),
                                static_cast<uint8_t>(usPerQuarter >> 8),
                                static_cast<uint8_t>(usPerQuarter)};
  for (const auto& [channel, program] :
       {std::pair{kMelodyChannel, piece.program}, std::pair{kBassChannel, piece.bassProgram}}) {
    track.insert(track.end(), {0x00, static_cast<uint8_t>(kProgramChange | channel),
                               static_cast<uint8_t>(program & 0x7F)});
  }
  uint32_t now = 0;
  for (const TimedEvent& e : events) {
    PutVarLen(track, e.tick - now);
    track.insert(track.end(), e.bytes.begin(), e.bytes.end());
    now = e.tick;
  }
  const uint32_t end = std::max(VoiceTicks(piece.melody), VoiceTicks(piece.bass));
  PutVarLen(track, end - now);
  track.insert(track.end(), {0xFF, 0x2F, 0x00});

  std::vector<uint8_t> file = {'M', 'T', 'h', 'd'};
  Put32BE(file, 6);
  file.insert(file.end(), {0x00, 0x00, 0x00, 0x01});  // format 0, one track
  file.push_back(static_cast<uint8_t>(kTicksPerQuarter >> 8));
  file.push_back(static_cast<uint8_t>(kTicksPerQuarter & 0xFF));
  file.insert(file.end(), {'M', 'T', 'r', 'k'});
  Put32BE(file, static_cast<uint32_t>(track.size()));
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

uint32_t PieceDurationMs(const MidiPiece& piece) {
  const uint64_t ticks = std::max(VoiceTicks(piece.melody), VoiceTicks(piece.bass));
  const uint64_t usPerQuarter =
      kUsPerMinute / static_cast<uint32_t>(std::max(1, piece.beatsPerMinute));
  return static_cast<uint32_t>((ticks * usPerQuarter / kTicksPerQuarter + 500) / 1000);
}

std::vector<uint8_t> ToneWav(double hertz, uint32_t milliseconds) {
  const uint32_t samples = kToneSampleRate * milliseconds / 1000;
  const uint32_t dataBytes = samples * (kBitsPerSample / 8);
  std::vector<uint8_t> out;
  PutTag(out, "RIFF");
  Put32LE(out, 36 + dataBytes);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32LE(out, kFmtChunkSize);
  Put16LE(out, kPcmFormat);
  Put16LE(out, 1);  // mono
  Put32LE(out, kToneSampleRate);
  Put32LE(out, kToneSampleRate * (kBitsPerSample / 8));
  Put16LE(out, kBitsPerSample / 8);
  Put16LE(out, kBitsPerSample);
  PutTag(out, "data");
  Put32LE(out, dataBytes);
  for (uint32_t i = 0; i < samples; ++i) {
    const uint32_t edge = std::min(i, samples - 1 - i);
    const double fade = std::min(1.0, static_cast<double>(edge) / kFadeSamples);
    const double value =
        kToneAmplitude * fade * std::sin(2 * std::numbers::pi * hertz * i / kToneSampleRate);
    Put16LE(out, static_cast<uint16_t>(static_cast<int16_t>(std::lround(value))));
  }
  return out;
}

void MakeDemoAudio(const std::string& installFolder) {
  const fs::path root(installFolder);
  MakePrompts(root);
  fs::create_directories(root / "Music");
  for (const auto& [name, piece] : DemoPieces())
    WriteDemoFile(root / "Music" / name, WriteMidiFile(piece));
}

}  // namespace tazu::demo
