// The MIDI duration reader against files of known length: the demo writer's pieces,
// hand-made files with tempo changes, running status and SMPTE timing, and broken ones.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "archive/MidiFile.h"
#include "tools/demo-install/DemoAudio.h"

namespace tazu {
namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}

// A file of the given division and tracks (each the raw event bytes of an MTrk).
Bytes Smf(uint16_t division, const std::vector<Bytes>& tracks, uint16_t format = 1) {
  Bytes b = {'M',
             'T',
             'h',
             'd',
             0,
             0,
             0,
             6,
             0,
             static_cast<uint8_t>(format),
             0,
             static_cast<uint8_t>(tracks.size()),
             static_cast<uint8_t>(division >> 8),
             static_cast<uint8_t>(division)};
  for (const Bytes& t : tracks) {
    b.insert(b.end(), {'M', 'T', 'r', 'k'});
    Put32(b, static_cast<uint32_t>(t.size()));
    b.insert(b.end(), t.begin(), t.end());
  }
  return b;
}

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(MidiDuration, TheDemoWritersPiecesLastWhatTheyWereWrittenFor) {
  for (int bpm : {60, 97, 120, 180}) {
    demo::MidiPiece piece;
    piece.beatsPerMinute = bpm;
    piece.melody = {{60, 3}, {-1, 2}, {64, 5}, {67, 1}};
    piece.bass = {{36, 12}};  // the longer voice decides
    const auto ms = MidiDurationMs(demo::WriteMidiFile(piece));
    ASSERT_TRUE(ms.has_value()) << bpm;
    EXPECT_EQ(*ms, demo::PieceDurationMs(piece)) << bpm;
    EXPECT_NEAR(*ms, 6 * 60000.0 / bpm, 1.0) << bpm;
  }
}

TEST(MidiDuration, TempoChangesInAnyTrackAreFollowedAndRunningStatusIsRead) {
  // Track 1: 960 ticks at 120 bpm (500 ms), then a change to 60 bpm and 960 more
  // (1000 ms). Track 2 plays notes under running status and ends at tick 1920 too.
  const Bytes tempoTrack = Cat({{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20},        // 500000 us
                                {0x87, 0x40, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40},  // +960, 1000000
                                {0x87, 0x40, 0xFF, 0x2F, 0x00}});
  const Bytes notes = Cat({{0x00, 0x90, 60, 100},
                           {0x87, 0x40, 60, 0},  // running status: a note-on of velocity 0
                           {0x00, 64, 100},
                           {0x00, 0xC1, 5},                 // a one-byte message
                           {0x00, 0xF0, 0x02, 0x7E, 0xF7},  // a system exclusive message
                           {0x87, 0x40, 0x90, 64, 0},
                           kEnd});
  const auto ms = MidiDurationMs(Smf(960, {tempoTrack, notes}));
  ASSERT_TRUE(ms.has_value());
  EXPECT_EQ(*ms, 1500u);
}

TEST(MidiDuration, SmpteTimingCountsFramesNotBeats) {
  // 25 frames a second, 40 ticks a frame: 1000 ticks a second; 2500 ticks = 2.5 s.
  const uint16_t division = static_cast<uint16_t>((0x100 - 25) << 8 | 40);
  const Bytes track = Cat({{0x93, 0x44, 0xFF, 0x2F, 0x00}});  // delta 2500 as 0x93 0x44
  EXPECT_EQ(MidiDurationMs(Smf(division, {track})), 2500u);
}

TEST(MidiDuration, AnRmidWrapperIsLookedInto) {
  const Bytes smf = Smf(96, {Cat({{0x60, 0x90, 60, 1}, kEnd})});  // 96 ticks = 500 ms
  const Bytes riff = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D'};
  const Bytes oddChunk = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};  // and its pad byte
  Bytes data = {'d', 'a', 't', 'a'};
  for (int i = 0; i < 4; ++i) data.push_back(static_cast<uint8_t>(smf.size() >> (8 * i)));
  EXPECT_EQ(MidiDurationMs(Cat({riff, data, smf})), 500u);
  EXPECT_EQ(MidiDurationMs(Cat({riff, oddChunk, data, smf})), 500u);
  EXPECT_FALSE(MidiDurationMs(Cat({riff, oddChunk}))) << "no data chunk";
}

TEST(MidiDuration, MalformedFilesHaveNoDurationAndNoCutCrashes) {
  EXPECT_FALSE(MidiDurationMs({}));
  EXPECT_FALSE(MidiDurationMs(Bytes(100, 0xAB)));
  EXPECT_FALSE(MidiDurationMs(Smf(0, {kEnd}))) << "division 0";
  EXPECT_FALSE(MidiDurationMs(Smf(96, {}))) << "no track";
  EXPECT_FALSE(MidiDurationMs(Smf(96, {{0x00, 60, 100}}))) << "data byte without a status";
  EXPECT_FALSE(MidiDurationMs(Smf(96, {{0x00, 0xFF, 0x01, 0x7F, 'x'}}))) << "meta past the end";
  EXPECT_FALSE(MidiDurationMs(Smf(96, {{0xFF, 0xFF, 0xFF, 0xFF, 0x7F}}))) << "five-byte delta";
  demo::MidiPiece piece;
  piece.melody = {{60, 2}, {62, 2}};
  const Bytes whole = demo::WriteMidiFile(piece);
  for (size_t n = 0; n < whole.size(); ++n) {
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
    const auto ms = MidiDurationMs(cut);
    if (ms) {
      EXPECT_LE(*ms, demo::PieceDurationMs(piece)) << n;
    }
  }
}

}  // namespace
}  // namespace tazu
