// Feeds arbitrary bytes to the wave header check, both as a whole file image and as
// a wave's stored form (count, then bytes), and checks what must hold for any input:
// only the wave exceptions or a read error come out, an accepted image has the three
// tags in place and at least the checked bytes, and its position is back at 0.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "controls/WaveHeader.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

tazu::TMemoryStream StreamOf(const uint8_t* data, size_t size) {
  tazu::TMemoryStream s;
  if (size > 0) s.WriteBuffer(data, static_cast<int64_t>(size));
  s.SetPosition(0);
  return s;
}

void CheckAccepted(const tazu::TMemoryStream& wave) {
  const auto& b = wave.Bytes();
  Require(static_cast<int64_t>(b.size()) >= tazu::kWaveHeaderCheckBytes);
  Require(std::memcmp(b.data(), "RIFF", 4) == 0);
  Require(std::memcmp(b.data() + 8, "WAVE", 4) == 0);
  Require(std::memcmp(b.data() + 12, "fmt ", 4) == 0);
}

void AsFileImage(const uint8_t* data, size_t size) {
  tazu::TMemoryStream s = StreamOf(data, size);
  try {
    tazu::CheckWaveHeader(s);
    CheckAccepted(s);
    Require(s.Position() == 0);
  } catch (const tazu::EErrorCheckingWave&) {
    Require(static_cast<int64_t>(size) < tazu::kWaveHeaderCheckBytes);
  } catch (const tazu::EInvalidWave&) {
  }
}

void AsStoredForm(const uint8_t* data, size_t size) {
  tazu::TMemoryStream s = StreamOf(data, size);
  try {
    const int64_t count = tazu::ReadStoredWaveCount(s);
    Require(count <= s.Size() - s.Position());
    auto wave = tazu::ReadCheckedWave(s, count);
    CheckAccepted(*wave);
    Require(wave->Size() == count && wave->Position() == 0);
  } catch (const tazu::EReadError&) {
  } catch (const tazu::EErrorCheckingWave&) {
  } catch (const tazu::EInvalidWave&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  AsFileImage(data, size);
  AsStoredForm(data, size);
  return 0;
}
