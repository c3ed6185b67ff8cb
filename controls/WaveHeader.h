// The byte side of the wave player, free of any display or sound library so that it
// can be fuzzed on its own: the check of a RIFF WAVE file's opening bytes, the reading
// of a wave image from a stream, and the wave's stored form inside a layout (a 32-bit
// little-endian byte count followed by the bytes).
#pragma once

#include <cstdint>
#include <memory>

#include "base/Exceptions.h"
#include "base/Streams.h"

namespace tazu {

// A wave image ended before its header did.
class EErrorCheckingWave : public Exception {
 public:
  using Exception::Exception;
};

// A wave image whose tags are not those of a RIFF WAVE file with its format chunk first.
class EInvalidWave : public Exception {
 public:
  using Exception::Exception;
};

// The most bytes the header check reads: "RIFF", size, "WAVE", "fmt ", chunk length,
// the format fields and the block alignment.
constexpr int64_t kWaveHeaderCheckBytes = 34;

// Checks the header of `data` from its start and leaves its position at 0. Raises
// EErrorCheckingWave when the data ends within the header, EInvalidWave when a tag
// differs.
void CheckWaveHeader(TStream& data);

// Reads `count` bytes from `source` into a new stream and checks its header. Raises
// EReadError when fewer bytes remain (nothing is allocated for them), or the check's
// exceptions; `source` has then been read from but nothing else is changed.
std::unique_ptr<TMemoryStream> ReadCheckedWave(TStream& source, int64_t count);

// The byte count that opens a stored wave; raises EReadError when the count is
// missing or larger than what remains of `source`.
int64_t ReadStoredWaveCount(TStream& source);

// Writes the stored form of `data`: its size as 32 bits, then its bytes. Raises
// EWriteError for an image too large to be counted in 32 bits.
void WriteStoredWave(TStream& target, const TMemoryStream& data);

}  // namespace tazu
