#include "archive/StreamWriteRoutines.h"

#include <climits>
#include <vector>

#include "archive/Blowfish.h"
#include "archive/Lh5Format.h"
#include "base/ByteReader.h"
#include "base/Exceptions.h"

namespace tazu {

void CompressStream(TStream& Source, TStream& Dest, const TLh5EncodeOptions& options) {
  const int64_t size = Source.Size() - Source.Position();
  if (size > INT32_MAX) throw Exception("Stream too large to compress");
  std::vector<uint8_t> data(static_cast<size_t>(std::max<int64_t>(0, size)));
  Source.ReadBuffer(data.data(), static_cast<int64_t>(data.size()));

  uint8_t sizeField[lh5::kExpandedSizeBytes];
  PutLittleEndian(sizeField, static_cast<uint32_t>(data.size()), sizeof sizeField);
  Dest.WriteBuffer(sizeField, sizeof sizeField);
  const auto bits = EncodeLh5(data, options);
  Dest.WriteBuffer(bits.data(), static_cast<int64_t>(bits.size()));
}

void EncryptStream(TMemoryStream& Stream, const std::string& Key) {
  const TBlowfish cipher(Key);
  if (cipher.HasDuplicateSBoxEntry()) throw Exception("Key gives a weak cipher; choose another");

  const int64_t plain = Stream.Size();
  const int64_t pad = (kCipherBlockBytes - (plain + 1) % kCipherBlockBytes) % kCipherBlockBytes;
  const int64_t total = plain + pad + 1;
  Stream.SetSize(total);  // the pad bytes are zeros
  Stream.Memory()[total - 1] = static_cast<uint8_t>(pad);
  cipher.CipherBlocks({Stream.Memory(), static_cast<size_t>(total)}, false);
}

}  // namespace tazu
