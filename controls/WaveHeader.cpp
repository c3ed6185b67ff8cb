#include "controls/WaveHeader.h"

#include <array>
#include <cstring>
#include <string_view>

namespace tazu {
namespace {

constexpr int64_t kTagBytes = 4;
constexpr int64_t kRiffSizeBytes = 4;
constexpr int64_t kChunkLengthBytes = 4;
constexpr int64_t kFormatFieldBytes = 12;  // format tag, channels, sample rate, byte rate
constexpr int64_t kBlockAlignBytes = 2;
constexpr int64_t kStoredCountBytes = 4;
static_assert(kTagBytes * 3 + kRiffSizeBytes + kChunkLengthBytes + kFormatFieldBytes +
                  kBlockAlignBytes ==
              kWaveHeaderCheckBytes);

// The file stream's open error, as the wave reports it without a name filled in.
constexpr const char* kCannotOpenText = "Cannot open file %s";
constexpr const char* kCheckerName = "GetWaveData";
constexpr const char* kWaveClassName = "TWave";

// Reads `count` header bytes, or fails the check when the data ends first.
void ReadHeaderBytes(TStream& data, void* buffer, int64_t count) {
  if (data.Read(buffer, count) != count) {
    throw EErrorCheckingWave(std::string(kCheckerName) + ": " + kCannotOpenText);
  }
}

void ExpectTag(TStream& data, std::string_view tag) {
  std::array<char, kTagBytes> read{};
  ReadHeaderBytes(data, read.data(), kTagBytes);
  if (std::memcmp(read.data(), tag.data(), kTagBytes) != 0) {
    throw EInvalidWave(std::string(kWaveClassName) + ": " + kCannotOpenText);
  }
}

void SkipHeaderBytes(TStream& data, int64_t count) {
  std::array<uint8_t, kFormatFieldBytes> ignored{};
  ReadHeaderBytes(data, ignored.data(), count);
}

}  // namespace

void CheckWaveHeader(TStream& data) {
  data.SetPosition(0);
  ExpectTag(data, "RIFF");
  SkipHeaderBytes(data, kRiffSizeBytes);
  ExpectTag(data, "WAVE");
  ExpectTag(data, "fmt ");
  SkipHeaderBytes(data, kChunkLengthBytes);
  SkipHeaderBytes(data, kFormatFieldBytes);
  SkipHeaderBytes(data, kBlockAlignBytes);
  data.SetPosition(0);
}

std::unique_ptr<TMemoryStream> ReadCheckedWave(TStream& source, int64_t count) {
  const int64_t remaining = source.Size() - source.Position();
  if (count < 0 || count > remaining) throw EReadError();
  auto wave = std::make_unique<TMemoryStream>();
  wave->SetSize(count);
  source.ReadBuffer(wave->Memory(), count);
  CheckWaveHeader(*wave);
  return wave;
}

int64_t ReadStoredWaveCount(TStream& source) {
  std::array<uint8_t, kStoredCountBytes> bytes{};
  source.ReadBuffer(bytes.data(), kStoredCountBytes);
  int64_t count = 0;
  for (int i = kStoredCountBytes - 1; i >= 0; --i) count = (count << 8) | bytes[i];
  if (count > source.Size() - source.Position()) throw EReadError();
  return count;
}

void WriteStoredWave(TStream& target, const TMemoryStream& data) {
  const uint64_t size = data.Bytes().size();
  if (size > UINT32_MAX) throw EWriteError();
  std::array<uint8_t, kStoredCountBytes> bytes{};
  for (int i = 0; i < kStoredCountBytes; ++i) bytes[i] = static_cast<uint8_t>(size >> (8 * i));
  target.WriteBuffer(bytes.data(), kStoredCountBytes);
  target.WriteBuffer(data.Bytes().data(), static_cast<int64_t>(size));
}

}  // namespace tazu
