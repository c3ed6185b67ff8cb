// The sounds of a demo install: spoken prompts made with espeak-ng (tones when it is
// missing) and short General MIDI pieces written by a minimal Standard MIDI File
// writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tazu::demo {

// One note of a melody; key -1 is a rest.
struct MidiNote {
  int key = 60;     // MIDI key number, 60 = middle C
  int eighths = 1;  // duration in eighth notes
};

struct MidiPiece {
  int beatsPerMinute = 120;
  int program = 0;               // General MIDI instrument of the melody
  std::vector<MidiNote> melody;  // channel 1
  std::vector<MidiNote> bass;    // channel 2, may be empty
  int bassProgram = 32;          // acoustic bass
};

// A format-0 Standard MIDI File of the piece.
std::vector<uint8_t> WriteMidiFile(const MidiPiece& piece);
// The piece's playing time in milliseconds (the longer of its two voices).
uint32_t PieceDurationMs(const MidiPiece& piece);

// A mono 16-bit PCM RIFF WAVE file of a sine tone.
std::vector<uint8_t> ToneWav(double hertz, uint32_t milliseconds);

// Writes the prompts into "Sounds_afr" and "Sounds_eng" and the pieces into "Music"
// under `installFolder`. Raises std::runtime_error when a file cannot be written.
void MakeDemoAudio(const std::string& installFolder);

}  // namespace tazu::demo
