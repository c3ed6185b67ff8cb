// Fuzzes an enciphered archive load: the first byte picks the compression flag
// and the key length, the key follows, and the rest is the enciphered payload.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/StreamArchive.h"

namespace {
constexpr int64_t kFuzzExpandedLimit = int64_t{512} << 10;
constexpr uint8_t kMaxKeyLength = 31;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const bool compressed = (data[0] & 0x80) != 0;
  const size_t keyLength = std::min<size_t>(data[0] & kMaxKeyLength, size - 1);
  const std::string key(reinterpret_cast<const char*>(data + 1), keyLength);
  const size_t rest = 1 + keyLength;

  tazu::TMemoryStream file;
  const uint8_t flags[] = {static_cast<uint8_t>(compressed ? '&' : '-'), '*'};
  file.WriteBuffer(flags, sizeof flags);
  file.WriteBuffer(data + rest, static_cast<int64_t>(size - rest));

  tazu::TStreamArchive archive;
  archive.SetMaxExpandedSize(kFuzzExpandedLimit);
  archive.SetKey(key);
  try {
    archive.LoadFromStream(file);
  } catch (const tazu::ECorruptFile&) {
  } catch (const tazu::EReadError&) {
  }
  return 0;
}
