// Standard MIDI Files, read only as far as the launcher and its install checker need:
// the header chunk, the chunks after it, and the playing time along the tempo map. A
// file may come bare or wrapped in a RIFF RMID file.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "base/ByteReader.h"

namespace tazu {

// The fields of the "MThd" chunk's body, of `length` bytes (6 in files of today).
struct MidiHeader {
  uint32_t length = 0;
  uint16_t format = 0;
  uint16_t tracks = 0;
  uint16_t division = 0;
};
inline constexpr uint32_t kMidiHeaderFieldBytes = 6;

// The chunk length and fields that follow the "MThd" tag; the reader is left after the
// fields and fails when they are cut short.
MidiHeader ReadMidiHeader(ByteReader& r);

// A tag and its body, cut to the bytes there are.
struct FileChunk {
  std::string_view tag;
  std::span<const uint8_t> body;
};

// The chunk at the reader's position, the reader moved past it (and past the pad byte
// that keeps RIFF chunks even); nothing when no whole chunk header remains. RIFF
// lengths are little-endian, MIDI ones big-endian.
std::optional<FileChunk> NextChunk(ByteReader& r, bool riff);

// The MIDI data of an RMID file (its "data" chunk, empty without one), or the bytes as
// they are.
std::span<const uint8_t> MidiData(std::span<const uint8_t> file);

// The playing time of a Standard MIDI File in milliseconds, from its tempo map; nothing
// when the bytes are not a well-formed MIDI file.
std::optional<uint32_t> MidiDurationMs(std::span<const uint8_t> file);

}  // namespace tazu
