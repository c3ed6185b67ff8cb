// Fuzzes TStreamArchive::LoadFromStream with the input as the whole archive
// file, then reads every entry back out.
#include <cstddef>
#include <cstdint>

#include "archive/StreamArchive.h"

namespace {
constexpr int64_t kFuzzExpandedLimit = int64_t{512} << 10;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tazu::TMemoryStream file;
  file.WriteBuffer(data, static_cast<int64_t>(size));
  tazu::TStreamArchive archive;
  archive.SetMaxExpandedSize(kFuzzExpandedLimit);
  archive.SetKey("fuzz");
  try {
    archive.LoadFromStream(file);
  } catch (const tazu::ECorruptFile&) {
  } catch (const tazu::EReadError&) {
  }
  for (int i = 0; i < archive.Count(); ++i) {
    tazu::TMemoryStream dest;
    archive.GetStream(archive.Names(i), dest);
    if (dest.Size() != static_cast<int64_t>(archive.Streams(i).Bytes().size()) &&
        !archive.Names(i).empty()) {
      __builtin_trap();
    }
  }
  return 0;
}
