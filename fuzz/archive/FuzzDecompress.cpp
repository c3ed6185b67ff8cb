// Fuzzes DecompressStream with the input as the whole compressed payload.
#include <cstddef>
#include <cstdint>

#include "archive/StreamRoutines.h"

namespace {
// Keeps each run quick; the decoder's own rules bound the output by the input.
constexpr int64_t kFuzzExpandedLimit = int64_t{512} << 10;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tazu::TMemoryStream source;
  source.WriteBuffer(data, static_cast<int64_t>(size));
  source.SetPosition(0);
  tazu::TMemoryStream dest;
  try {
    tazu::DecompressStream(source, dest, kFuzzExpandedLimit);
  } catch (const tazu::ECorruptFile&) {
  }
  return 0;
}
