#include "archive/MidiFile.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

namespace tazu {
namespace {

constexpr size_t kChunkHeaderBytes = 8;
constexpr uint32_t kDefaultTempoUs = 500000;  // microseconds per quarter note: 120 bpm
constexpr uint8_t kMetaEvent = 0xFF;
constexpr uint8_t kSysEx = 0xF0;
constexpr uint8_t kSysExEscape = 0xF7;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint32_t kTempoBytes = 3;
constexpr uint16_t kSmpteDivision = 0x8000;
constexpr double kUsPerMs = 1000.0;
constexpr double kUsPerSecond = 1e6;
constexpr double kDropFrameRate = 29.97;
constexpr int kDropFrameCode = 29;

struct TempoChange {
  uint64_t tick;
  uint32_t usPerQuarter;
};

// Data bytes that follow a channel status byte.
int ChannelDataBytes(uint8_t status) {
  const uint8_t kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// Walks one track's events; returns its last tick, or nothing when it is malformed.
std::optional<uint64_t> ReadTrack(ByteReader r, std::vector<TempoChange>& tempos) {
  uint64_t tick = 0;
  uint8_t running = 0;  // running status: the last channel status byte
  bool endOfTrack = false;
  while (r.Left() > 0 && !endOfTrack) {
    tick += r.VarLen();
    const uint8_t first = r.U8();
    if (!r.Ok()) return std::nullopt;
    if (first == kMetaEvent || first == kSysEx || first == kSysExEscape) {
      running = 0;
      const uint8_t type = first == kMetaEvent ? r.U8() : 0;
      const uint32_t length = r.VarLen();
      ByteReader body(r.Bytes(length));
      if (!r.Ok()) return std::nullopt;
      const bool meta = first == kMetaEvent;
      if (meta && type == kMetaTempo && length >= kTempoBytes) {
        if (const uint32_t us = body.U24Be(); us > 0) tempos.push_back({tick, us});
      }
      endOfTrack = meta && type == kMetaEndOfTrack;
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

}  // namespace

MidiHeader ReadMidiHeader(ByteReader& r) {
  MidiHeader header;
  header.length = r.U32Be();
  header.format = r.U16Be();
  header.tracks = r.U16Be();
  header.division = r.U16Be();
  return header;
}

std::optional<FileChunk> NextChunk(ByteReader& r, bool riff) {
  if (!r.Ok() || r.Left() < kChunkHeaderBytes) return std::nullopt;
  FileChunk chunk{r.Text(4), {}};
  const uint32_t length = riff ? r.U32Le() : r.U32Be();
  chunk.body = r.Bytes(std::min<size_t>(length, r.Left()));  // a short last chunk is read as is
  if (riff && (length & 1) && r.Left() > 0) r.Skip(1);
  return chunk;
}

std::span<const uint8_t> MidiData(std::span<const uint8_t> file) {
  ByteReader r(file);
  if (!r.Tag("RIFF") || !r.Skip(4) || !r.Tag("RMID")) return file;
  while (const auto chunk = NextChunk(r, true)) {
    if (chunk->tag == "data") return chunk->body;
  }
  return {};
}

std::optional<uint32_t> MidiDurationMs(std::span<const uint8_t> file) {
  ByteReader r(MidiData(file));
  if (!r.Tag("MThd")) return std::nullopt;
  const MidiHeader header = ReadMidiHeader(r);
  const uint16_t division = header.division;
  if (!r.Ok() || header.length < kMidiHeaderFieldBytes ||
      !r.Skip(header.length - kMidiHeaderFieldBytes)) {
    return std::nullopt;
  }
  if ((division & ~kSmpteDivision) == 0 || (division & kSmpteDivision && (division & 0xFF) == 0)) {
    return std::nullopt;
  }
  std::vector<TempoChange> tempos;
  std::optional<uint64_t> endTick;
  while (const auto chunk = NextChunk(r, false)) {
    if (chunk->tag != "MTrk") continue;
    const std::optional<uint64_t> last = ReadTrack(ByteReader(chunk->body), tempos);
    if (!last) return std::nullopt;
    endTick = std::max(endTick.value_or(0), *last);
  }
  if (!endTick) return std::nullopt;
  const double ms = TicksToMs(*endTick, division, std::move(tempos));
  return static_cast<uint32_t>(std::clamp(ms + 0.5, 0.0, static_cast<double>(UINT32_MAX)));
}

}  // namespace tazu
