#include "controls/Wave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/base/TempDir.h"
#include "tests/framework/FrameworkFixture.h"

namespace tazu {
namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutTag(Bytes& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

// A mono 8-bit PCM file of `samples` samples, each sample `fill`.
Bytes MakeWav(uint32_t samples, uint8_t fill = 0x80) {
  Bytes b;
  PutTag(b, "RIFF");
  Put32(b, 36 + samples);
  PutTag(b, "WAVE");
  PutTag(b, "fmt ");
  Put32(b, 16);
  Put16(b, 1);     // PCM
  Put16(b, 1);     // channels
  Put32(b, 8000);  // sample rate
  Put32(b, 8000);  // byte rate
  Put16(b, 1);     // block alignment
  Put16(b, 8);     // bits per sample
  PutTag(b, "data");
  Put32(b, samples);
  b.insert(b.end(), samples, fill);
  return b;
}

TMemoryStream StreamOf(const Bytes& bytes) {
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  s.SetPosition(0);
  return s;
}

class WaveTest : public test::FrameworkTest {
 protected:
  void Load(TWave& w, const Bytes& bytes) {
    TMemoryStream s = StreamOf(bytes);
    w.LoadFromStream(s);
  }
  int Count(const std::string& call) const {
    return static_cast<int>(std::count(fake->calls.begin(), fake->calls.end(), call));
  }
  void SetUp() override {
    wave.OnChange = [this](TObject* sender) {
      EXPECT_EQ(sender, &wave);
      ++changes;
    };
  }
  TWave wave{fake};  // the fixture's platform exists before the members
  int changes = 0;
};

// ---- the header check ----

TEST_F(WaveTest, AValidFileIsTakenWholeWithItsPositionAtTheStart) {
  const Bytes file = MakeWav(100);
  Load(wave, file);
  ASSERT_FALSE(wave.IsEmpty());
  EXPECT_EQ(wave.Size(), static_cast<int64_t>(file.size()));
  EXPECT_EQ(wave.Data()->Bytes(), file);
  EXPECT_EQ(const_cast<TMemoryStream*>(wave.Data())->Position(), 0);
  EXPECT_EQ(changes, 1);
}

TEST_F(WaveTest, LoadFromStreamTakesTheBytesFromThePositionToTheEnd) {
  Bytes padded = {'x', 'y', 'z'};
  const Bytes file = MakeWav(10);
  padded.insert(padded.end(), file.begin(), file.end());
  TMemoryStream s = StreamOf(padded);
  s.SetPosition(3);
  wave.LoadFromStream(s);
  EXPECT_EQ(wave.Data()->Bytes(), file);
}

TEST_F(WaveTest, AChunkBetweenWaveAndFmtIsRefusedAndTheOldDataStays) {
  const Bytes old = MakeWav(5);
  Load(wave, old);
  const int stopsBefore = fake->waveStops;
  Bytes file;
  PutTag(file, "RIFF");
  Put32(file, 100);
  PutTag(file, "WAVE");
  PutTag(file, "LIST");  // another chunk where "fmt " belongs
  Put32(file, 4);
  PutTag(file, "INFO");
  const Bytes rest = MakeWav(20);
  file.insert(file.end(), rest.begin() + 12, rest.end());
  try {
    Load(wave, file);
    FAIL() << "accepted";
  } catch (const EInvalidWave& e) {
    EXPECT_STREQ(e.what(), "TWave: Cannot open file %s");
  }
  EXPECT_EQ(wave.Data()->Bytes(), old);
  EXPECT_EQ(fake->waveStops, stopsBefore) << "a failed load must not stop the sound";
  EXPECT_EQ(changes, 1);
}

TEST_F(WaveTest, EachWrongTagIsRefusedAsInvalid) {
  for (size_t at : {size_t{0}, size_t{8}, size_t{12}}) {
    Bytes file = MakeWav(8);
    file[at + 3] = '!';
    EXPECT_THROW(Load(wave, file), EInvalidWave) << "tag at " << at;
    EXPECT_TRUE(wave.IsEmpty());
  }
}

TEST_F(WaveTest, TheTwentyByteFileEndsWithinTheHeader) {
  const Bytes whole = MakeWav(0);
  const Bytes file(whole.begin(), whole.begin() + 20);
  try {
    Load(wave, file);
    FAIL() << "accepted";
  } catch (const EErrorCheckingWave& e) {
    EXPECT_STREQ(e.what(), "GetWaveData: Cannot open file %s");
  }
  EXPECT_TRUE(wave.IsEmpty());
}

TEST_F(WaveTest, EveryCutWithinTheCheckedBytesFailsAndThirtyFourAreEnough) {
  const Bytes whole = MakeWav(0);
  for (size_t n = 1; n < kWaveHeaderCheckBytes; ++n) {
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(Load(wave, cut), EErrorCheckingWave) << n << " bytes";
  }
  const Bytes enough(whole.begin(), whole.begin() + kWaveHeaderCheckBytes);
  Load(wave, enough);
  EXPECT_EQ(wave.Size(), kWaveHeaderCheckBytes);
}

TEST_F(WaveTest, AZeroLengthFileClearsTheWaveAndStopsItsSound) {
  test::TempDir dir;
  const std::string empty = dir.Write("empty.wav", "");
  Load(wave, MakeWav(10));
  const int stopsBefore = fake->waveStops;
  wave.LoadFromFile(empty);
  EXPECT_TRUE(wave.IsEmpty());
  EXPECT_FALSE(wave.HasData());
  EXPECT_EQ(fake->waveStops, stopsBefore + 1);
  EXPECT_FALSE(wave.Play());
  EXPECT_TRUE(fake->wavesPlayed.empty());
}

TEST_F(WaveTest, NothingReadFromAStreamThatIsNotEmptyFailsTheCheckAndKeepsTheSound) {
  const Bytes old = MakeWav(6);
  Load(wave, old);
  const int stopsBefore = fake->waveStops;
  TMemoryStream atEnd = StreamOf(MakeWav(2));
  atEnd.SetPosition(atEnd.Size());
  EXPECT_THROW(wave.LoadFromStream(atEnd), EErrorCheckingWave);
  ASSERT_TRUE(wave.HasData());
  EXPECT_EQ(wave.Data()->Bytes(), old);
  TMemoryStream storedZero = StreamOf(Bytes{0, 0, 0, 0});  // a layout's data counting 0 bytes
  EXPECT_THROW(wave.ReadData(storedZero), EErrorCheckingWave);
  ASSERT_TRUE(wave.HasData());
  EXPECT_EQ(wave.Data()->Bytes(), old);
  EXPECT_EQ(fake->waveStops, stopsBefore);
  EXPECT_EQ(changes, 1);
}

TEST_F(WaveTest, AMissingFileFailsToOpenAndChangesNothing) {
  test::TempDir dir;
  Load(wave, MakeWav(3));
  const std::string missing = dir.Str() + "/none.wav";
  try {
    wave.LoadFromFile(missing);
    FAIL() << "opened";
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + missing);
  }
  EXPECT_EQ(wave.Size(), static_cast<int64_t>(MakeWav(3).size()));
}

TEST_F(WaveTest, FilesRoundTripThroughSaveAndLoad) {
  test::TempDir dir;
  const Bytes file = MakeWav(321, 7);
  Load(wave, file);
  const std::string path = dir.Str() + "/copy.wav";
  wave.SaveToFile(path);
  TWave other(fake);
  other.LoadFromFile(path);
  EXPECT_EQ(other.Data()->Bytes(), file);
  TMemoryStream plain;
  wave.SaveToStream(plain);
  EXPECT_EQ(plain.Bytes(), file) << "no count before the bytes";
}

// ---- playing ----

TEST_F(WaveTest, PlayHandsTheWholeFileToThePlatformAndStopStopsIt) {
  const Bytes file = MakeWav(50);
  Load(wave, file);
  EXPECT_TRUE(wave.Play());
  ASSERT_EQ(fake->wavesPlayed.size(), 1u);
  EXPECT_EQ(fake->wavesPlayed[0], file);
  const int stopsBefore = fake->waveStops;
  wave.Stop();
  EXPECT_EQ(fake->waveStops, stopsBefore + 1);
}

TEST_F(WaveTest, PlayIsFalseWhenEmptyOrWithoutAnOutputDevice) {
  EXPECT_FALSE(wave.Play());
  Load(wave, MakeWav(4));
  fake->waveDevices = 0;
  EXPECT_FALSE(wave.Play());
  EXPECT_EQ(Count("PlayWave"), 0) << "nothing reaches the sound service";
  TWave orphan(nullptr);
  EXPECT_FALSE(orphan.Play());
}

TEST_F(WaveTest, EveryReplacementStopsTheSoundBeforeTheOldBytesGo) {
  Load(wave, MakeWav(4));
  EXPECT_EQ(Count("StopWave"), 0) << "nothing to stop before the first data";
  ASSERT_TRUE(wave.Play());
  Load(wave, MakeWav(8));
  EXPECT_EQ(fake->calls.back(), "StopWave");
  TWave source(fake);
  Load(source, MakeWav(16));
  const int stops = fake->waveStops;
  wave.Assign(&source);
  EXPECT_EQ(fake->waveStops, stops + 1);
  wave.Clear();
  EXPECT_EQ(fake->waveStops, stops + 2);
  wave.Clear();
  EXPECT_EQ(fake->waveStops, stops + 2) << "an empty wave has nothing playing";
  {
    TWave doomed(fake);
    Load(doomed, MakeWav(2));
  }
  EXPECT_EQ(fake->waveStops, stops + 3) << "destruction stops a wave with data";
}

TEST_F(WaveTest, AssignCopiesTheBytesAndRefusesOtherClasses) {
  TWave source(fake);
  const Bytes file = MakeWav(12, 3);
  Load(source, file);
  const_cast<TMemoryStream*>(source.Data())->SetPosition(5);
  wave.Assign(&source);
  EXPECT_EQ(wave.Data()->Bytes(), file);
  EXPECT_NE(wave.Data(), source.Data()) << "a fresh stream";
  EXPECT_EQ(const_cast<TMemoryStream*>(source.Data())->Position(), 0);
  EXPECT_EQ(changes, 1);
  wave.Assign(nullptr);
  EXPECT_TRUE(wave.IsEmpty());
  TObject stranger;
  try {
    wave.Assign(&stranger);
    FAIL() << "accepted";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TObject to a TWave");
  }
}

TEST_F(WaveTest, UpdatingSuppressesTheChangeNotice) {
  wave.Updating = true;
  Load(wave, MakeWav(1));
  wave.Clear();
  EXPECT_EQ(changes, 0);
}

// ---- the stored form ----

TEST_F(WaveTest, StoredDataRoundTripsWithItsCount) {
  const Bytes file = MakeWav(77);
  Load(wave, file);
  TMemoryStream stored;
  wave.WriteData(stored);
  ASSERT_EQ(stored.Size(), static_cast<int64_t>(file.size() + 4));
  EXPECT_EQ(stored.Bytes()[0], file.size() & 0xFF);
  stored.SetPosition(0);
  TWave other(fake);
  other.ReadData(stored);
  EXPECT_EQ(other.Data()->Bytes(), file);
  EXPECT_EQ(stored.Position(), stored.Size());
}

TEST_F(WaveTest, AWaveWithoutDataStoresNothing) {
  TMemoryStream stored;
  wave.WriteData(stored);
  EXPECT_FALSE(wave.HasData());
  EXPECT_EQ(stored.Size(), 0);
}

TEST_F(WaveTest, TruncatedOrOversizedStoredCountsAreRefused) {
  const Bytes old = MakeWav(9);
  Load(wave, old);
  const Bytes file = MakeWav(30);
  const auto storedWithCount = [&](uint32_t count, size_t keep) {
    Bytes b;
    Put32(b, count);
    b.insert(b.end(), file.begin(), file.begin() + static_cast<std::ptrdiff_t>(keep));
    return b;
  };
  const std::vector<Bytes> bad = {
      Bytes{0x10, 0x00},                                                     // count cut short
      storedWithCount(static_cast<uint32_t>(file.size()) + 1, file.size()),  // one too many
      storedWithCount(0xFFFFFFFFu, file.size()),                             // absurd count
      storedWithCount(static_cast<uint32_t>(file.size()), 10),               // bytes cut short
  };
  for (const Bytes& b : bad) {
    TMemoryStream s = StreamOf(b);
    EXPECT_THROW(wave.ReadData(s), EReadError);
    EXPECT_EQ(wave.Data()->Bytes(), old);
  }
  TMemoryStream badHeader = StreamOf(storedWithCount(20, 20));
  EXPECT_THROW(wave.ReadData(badHeader), EErrorCheckingWave);
  EXPECT_EQ(wave.Data()->Bytes(), old);
}

// ---- the component ----

TEST_F(WaveTest, TheComponentPlaysThroughItsApplicationsPlatform) {
  test::TempDir dir;
  const Bytes file = MakeWav(40);
  const std::string path = dir.Write("cue.wav", std::string(file.begin(), file.end()));
  auto* sound = app->Create<TWaveComp>();
  EXPECT_TRUE(sound->Wave().IsEmpty());
  sound->LoadFromFile(path);
  EXPECT_TRUE(sound->Wave().Play());
  ASSERT_EQ(fake->wavesPlayed.size(), 1u);
  EXPECT_EQ(fake->wavesPlayed[0], file);
  const int stops = fake->waveStops;
  sound->Stop();
  EXPECT_EQ(fake->waveStops, stops + 1);
  TWave other(fake);
  Load(other, MakeWav(3));
  sound->SetWave(other);
  EXPECT_EQ(sound->Wave().Data()->Bytes(), other.Data()->Bytes());
  sound->SaveToFile(dir.Str() + "/out.wav");
  EXPECT_EQ(ReadWholeFile(dir.Str() + "/out.wav"), other.Data()->Bytes());
}

}  // namespace
}  // namespace tazu
