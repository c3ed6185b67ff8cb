#include "archive/StreamRoutines.h"

#include <algorithm>
#include <memory>

#include "archive/Blowfish.h"
#include "archive/Lh5Decoder.h"
#include "base/ByteReader.h"

namespace tazu {

void DecompressStream(TStream& Source, TStream& Dest, int64_t maxExpandedSize) {
  uint8_t sizeField[lh5::kExpandedSizeBytes];
  if (Source.Read(sizeField, sizeof sizeField) != sizeof sizeField) {
    throw ECorruptFile(kCompressedFileCorrupt);
  }
  int64_t left = static_cast<int32_t>(ByteReader(sizeField).U32Le());
  if (left <= 0) return;
  if (left > maxExpandedSize) throw ECorruptFile(kCompressedFileCorrupt);

  const int64_t payloadBytes = Source.Size() - Source.Position();
  // Tables and window are large; keep them off the stack.
  auto decoder = std::make_unique<TLh5Decoder>(Source, payloadBytes);
  while (left > 0) {
    const auto count = static_cast<uint32_t>(std::min<int64_t>(left, lh5::kWindowSize));
    const uint8_t* chunk = decoder->NextChunk(count);
    // Only real bits may produce output: the size field is not trusted to say
    // how much a truncated stream should be padded out to.
    if (decoder->InputOverrun()) throw ECorruptFile(kCompressedFileCorrupt);
    Dest.WriteBuffer(chunk, count);
    left -= count;
  }
}

void DecryptStream(TMemoryStream& Stream, const std::string& Key) {
  const int64_t size = Stream.Size();
  if (size == 0) return;
  const TBlowfish cipher(Key);
  if (cipher.HasDuplicateSBoxEntry()) return;

  cipher.CipherBlocks({Stream.Memory(), static_cast<size_t>(size)}, true);
  const int64_t pad = Stream.Memory()[size - 1];
  if (pad + 1 > size) throw ECorruptFile(kCompressedFileCorrupt);
  Stream.SetSize(size - pad - 1);
}

}  // namespace tazu
