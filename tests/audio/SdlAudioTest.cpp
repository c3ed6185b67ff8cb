// The Linux music and cue players for real: SDL's "disk" audio driver writes what is
// played into a file, which must then hold sound. MIDI needs Debian's General MIDI
// sound font; without it those tests are skipped.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "base/Paths.h"
#include "base/Streams.h"
#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlPlatform.h"
#include "tests/MissingPackage.h"
#include "tests/base/TempDir.h"
#include "tools/demo-install/DemoAudio.h"

namespace tazu {
namespace {

constexpr const char* kSoundFont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
constexpr int kNoticeWaitMs = 10000;
constexpr int16_t kAudibleLevel = 300;  // 16-bit sample magnitude clearly above dither

bool HaveSoundFont() { return std::filesystem::exists(kSoundFont); }

// Samples of the capture (16-bit native order) louder than kAudibleLevel.
size_t AudibleSamples(const std::string& rawFile) {
  const std::vector<uint8_t> bytes = ReadWholeFile(rawFile);
  size_t loud = 0;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    int16_t v = 0;
    std::memcpy(&v, &bytes[i], sizeof v);
    if (v > kAudibleLevel || v < -kAudibleLevel) ++loud;
  }
  return loud;
}

class SdlAudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("DISPLAY");  // no desktop of ours to look after
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
    demo::MakeDemoAudio(dir.Str());
  }
  void StartPlatform() { platform = std::make_unique<SdlPlatform>(); }
  // Ends the platform so the capture file is complete.
  size_t FinishAndMeasure() {
    platform.reset();
    return AudibleSamples(capture);
  }
  // Waits for the next music notice, passing over other events.
  bool WaitForNotice(int timeoutMs) {
    const uint64_t end = SDL_GetTicks64() + static_cast<uint64_t>(timeoutMs);
    Event e;
    while (SDL_GetTicks64() < end) {
      const int left = static_cast<int>(end - SDL_GetTicks64());
      if (platform->WaitEvent(e, left) && e.kind == EventKind::MusicNotify) return true;
    }
    return false;
  }
  // Takes the events queued before a wake-up posted now: whether a music notice is
  // among them.
  bool NoticeQueued() {
    platform->Wake();
    Event e;
    while (platform->WaitEvent(e, kNoticeWaitMs)) {
      if (e.kind == EventKind::MusicNotify) return true;
      if (e.kind == EventKind::Wake) return false;
    }
    return false;
  }
  void Pause(int ms) { SDL_Delay(static_cast<uint32_t>(ms)); }
  std::string WriteShortPiece() {
    demo::MidiPiece piece;  // two quarters at 120 bpm: one second
    piece.melody = {{72, 2}, {76, 2}};
    const std::vector<uint8_t> bytes = demo::WriteMidiFile(piece);
    const std::string path = dir.Str() + "/short.mid";
    TFileStream(path, FileMode::Create)
        .WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return path;
  }

  test::TempDir dir;
  std::string capture = dir.Str() + "/capture.raw";
  std::unique_ptr<SdlPlatform> platform;
};

TEST_F(SdlAudioTest, AMidiPieceIsHeardAndItsLengthComesFromTheFile) {
  if (!HaveSoundFont()) TAZU_SKIP_MISSING_PACKAGE("no General MIDI sound font");
  StartPlatform();
  ASSERT_EQ(platform->MusicOpen(dir.Str() + "/Music/pelkor2.mid"), std::nullopt);
  EXPECT_EQ(platform->MusicLength(), 16000u);
  EXPECT_EQ(platform->MusicGetMode(), MusicMode::Stopped);
  platform->MusicRewind();
  const uint64_t beforePlay = SDL_GetTicks64();
  platform->MusicPlay();
  const uint64_t afterPlay = SDL_GetTicks64();
  EXPECT_EQ(platform->MusicGetMode(), MusicMode::Playing);
  Pause(2500);
  // The position is the time played, within what the clock around the calls allows.
  const uint64_t beforeAsk = SDL_GetTicks64();
  const uint32_t position = platform->MusicPosition();
  const uint64_t afterAsk = SDL_GetTicks64();
  EXPECT_GE(position, beforeAsk - afterPlay);
  EXPECT_LE(position, afterAsk - beforePlay);
  EXPECT_GT(FinishAndMeasure(), 44100u / 2) << "the capture is silent";
}

TEST_F(SdlAudioTest, ANaturalEndPostsANoticeWithThePositionAtTheLength) {
  if (!HaveSoundFont()) TAZU_SKIP_MISSING_PACKAGE("no General MIDI sound font");
  StartPlatform();
  ASSERT_EQ(platform->MusicOpen(WriteShortPiece()), std::nullopt);
  ASSERT_EQ(platform->MusicLength(), 1000u);
  platform->MusicPlay();
  ASSERT_TRUE(WaitForNotice(kNoticeWaitMs));
  EXPECT_EQ(platform->MusicGetMode(), MusicMode::Stopped);
  EXPECT_EQ(platform->MusicPosition(), platform->MusicLength());
  // Played out, it starts again from the top.
  platform->MusicPlay();
  EXPECT_EQ(platform->MusicGetMode(), MusicMode::Playing);
  EXPECT_LT(platform->MusicPosition(), platform->MusicLength());
}

TEST_F(SdlAudioTest, AStopPostsANoticeWithThePositionShortOfTheLength) {
  if (!HaveSoundFont()) TAZU_SKIP_MISSING_PACKAGE("no General MIDI sound font");
  StartPlatform();
  ASSERT_EQ(platform->MusicOpen(dir.Str() + "/Music/pelkor2.mid"), std::nullopt);
  platform->MusicPlay();
  Pause(1000);
  platform->MusicStop();
  ASSERT_TRUE(WaitForNotice(kNoticeWaitMs));
  EXPECT_EQ(platform->MusicGetMode(), MusicMode::Stopped);
  const uint32_t position = platform->MusicPosition();
  EXPECT_GT(position, 500u);
  EXPECT_LT(position, platform->MusicLength());
  platform->MusicRewind();
  EXPECT_EQ(platform->MusicPosition(), 0u);
  // Closing is silent, even while playing.
  platform->MusicPlay();
  platform->MusicClose();
  EXPECT_FALSE(NoticeQueued());
  EXPECT_EQ(platform->MusicGetMode(), MusicMode::NotReady);
  EXPECT_EQ(platform->MusicLength(), 0u);
}

TEST_F(SdlAudioTest, ACueFromMemoryIsHeardAndANewOneCutsItOff) {
  StartPlatform();
  EXPECT_GE(platform->WaveOutDeviceCount(), 1);
  const std::vector<uint8_t> cue = ReadWholeFile(dir.Str() + "/Sounds_eng/in6.wav");
  EXPECT_TRUE(platform->PlayWave(cue));
  Pause(300);
  EXPECT_TRUE(platform->PlayWave(cue));  // the first is halted and freed first
  Pause(1500);
  platform->StopWave();
  EXPECT_FALSE(platform->PlayWave({'R', 'I', 'F', 'F', 1, 2, 3})) << "undecodable";
  EXPECT_FALSE(platform->PlayWave({}));
  EXPECT_GT(FinishAndMeasure(), 22050u / 2) << "the capture is silent";
}

TEST_F(SdlAudioTest, WithoutADeviceEveryCommandDegrades) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  StartPlatform();
  EXPECT_EQ(platform->WaveOutDeviceCount(), 0);
  const auto error = platform->MusicOpen(dir.Str() + "/Music/pelkor2.mid");
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find("No sound output device"), std::string::npos) << *error;
  platform->MusicPlay();
  platform->MusicStop();
  platform->MusicRewind();
  platform->MusicClose();
  EXPECT_EQ(platform->MusicGetMode(), MusicMode::NotReady);
  EXPECT_FALSE(platform->PlayWave(ReadWholeFile(dir.Str() + "/Sounds_eng/in1.wav")));
  platform->StopWave();
}

TEST_F(SdlAudioTest, TheDummyDriverTakesCommandsButCountsNoOutputDevice) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  StartPlatform();
  EXPECT_EQ(platform->WaveOutDeviceCount(), 0);
  EXPECT_TRUE(platform->PlayWave(ReadWholeFile(dir.Str() + "/Sounds_afr/in2.wav")));
  platform->StopWave();
}

TEST_F(SdlAudioTest, FilesThatCannotBePlayedAreRefusedWithAMessage) {
  StartPlatform();
  const std::string garbage = dir.Write("Music/broken.mid", std::string(200, 'x'));
  if (HaveSoundFont()) {
    const auto error = platform->MusicOpen(garbage);
    ASSERT_TRUE(error.has_value());
    EXPECT_FALSE(error->empty());
    EXPECT_EQ(platform->MusicGetMode(), MusicMode::NotReady);
  }
  const auto missing = platform->MusicOpen(dir.Str() + "/Music/none.mid");
  ASSERT_TRUE(missing.has_value());
  EXPECT_EQ(platform->MusicGetMode(), MusicMode::NotReady);
}

TEST_F(SdlAudioTest, WithoutASoundFontMidiCannotBeOpened) {
  StartPlatform();  // for the events subsystem
  SdlAudio audio(SDL_RegisterEvents(1), MidiSetup{});
  const auto error = audio.MusicOpen(dir.Str() + "/Music/pelkor2.mid");
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(*error, "No MIDI sound font is installed");
  EXPECT_EQ(audio.MusicGetMode(), MusicMode::NotReady);
}

TEST_F(SdlAudioTest, WakeStaysAWakeBesideTheMusicNotices) {
  StartPlatform();
  platform->Wake();
  Event e;
  ASSERT_TRUE(platform->WaitEvent(e, 1000));
  EXPECT_EQ(e.kind, EventKind::Wake);
}

}  // namespace
}  // namespace tazu
