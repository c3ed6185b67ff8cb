#include "controls/WaveHeader.h"

#include <array>
#include <span>
#include <string_view>

#include "base/ByteReader.h"

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

}  // namespace

void CheckWaveHeader(TStream& data) {
  std::array<uint8_t, kWaveHeaderCheckBytes> head{};
  data.SetPosition(0);
  const auto got = static_cast<size_t>(data.Read(head.data(), kWaveHeaderCheckBytes));
  ByteReader r(std::span<const uint8_t>(head.data(), got));
  // A tag is judged wrong only when all its bytes are there; a header cut short
  // anywhere is the check's own error.
  const auto expectTag = [&r](std::string_view tag) {
    if (!r.Tag(tag) && r.Ok()) {
      throw EInvalidWave(std::string(kWaveClassName) + ": " + kCannotOpenText);
    }
  };
  expectTag("RIFF");
  r.Skip(kRiffSizeBytes);
  expectTag("WAVE");
  expectTag("fmt ");
  if (!r.Skip(kChunkLengthBytes + kFormatFieldBytes + kBlockAlignBytes)) {
    throw EErrorCheckingWave(std::string(kCheckerName) + ": " + kCannotOpenText);
  }
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
  const int64_t count = ByteReader(bytes).U32Le();
  if (count > source.Size() - source.Position()) throw EReadError();
  return count;
}

void WriteStoredWave(TStream& target, const TMemoryStream& data) {
  const uint64_t size = data.Bytes().size();
  if (size > UINT32_MAX) throw EWriteError();
  std::array<uint8_t, kStoredCountBytes> bytes{};
  PutLittleEndian(bytes.data(), static_cast<uint32_t>(size), kStoredCountBytes);
  target.WriteBuffer(bytes.data(), kStoredCountBytes);
  target.WriteBuffer(data.Bytes().data(), static_cast<int64_t>(size));
}

}  // namespace tazu
