// Feeds arbitrary bytes to the MIDI file reader and checks what must hold for any
// input: the chunk walk ends and stays inside the bytes, a file with a duration opens
// with "MThd", and the same bytes wrapped in an RMID file last just as long.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "archive/MidiFile.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void WalkChunks(std::span<const uint8_t> bytes, bool riff) {
  tazu::ByteReader r(bytes);
  size_t left = r.Left();
  while (const auto chunk = tazu::NextChunk(r, riff)) {
    Require(r.Left() < left);
    Require(chunk->tag.size() == 4);
    Require(chunk->body.empty() ||
            (chunk->body.data() >= bytes.data() &&
             chunk->body.data() + chunk->body.size() <= bytes.data() + bytes.size()));
    left = r.Left();
  }
}

std::vector<uint8_t> Rmid(std::span<const uint8_t> midi) {
  const auto size = static_cast<uint32_t>(midi.size());
  std::vector<uint8_t> file = {'R', 'I', 'F', 'F', 0,   0,   0,   0,
                               'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'};
  for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(size >> (8 * i)));
  file.insert(file.end(), midi.begin(), midi.end());
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  WalkChunks(bytes, true);
  WalkChunks(bytes, false);
  const std::span<const uint8_t> midi = tazu::MidiData(bytes);
  const auto ms = tazu::MidiDurationMs(bytes);
  Require(!ms || tazu::ByteReader(midi).Tag("MThd"));
  if (!tazu::ByteReader(bytes).Tag("RIFF")) Require(tazu::MidiDurationMs(Rmid(bytes)) == ms);
  return 0;
}
