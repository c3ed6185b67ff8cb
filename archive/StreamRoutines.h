// Strips the inner layers of an archive payload: lh5 expansion with its 4-byte
// expanded size, and the Blowfish decipher with its pad count.
#pragma once

#include <cstdint>
#include <string>

#include "archive/CorruptFile.h"
#include "base/Streams.h"

namespace tazu {

// Expanded sizes above this are refused as corrupt: no frame library comes near it,
// and the size field is not to be trusted with the machine's memory.
constexpr int64_t kMaxExpandedSize = int64_t{256} << 20;

// Reads the expanded size E and the lh5 bit stream from Source's position to its
// end and writes exactly E bytes at Dest's position, one chunk of at most 8 KB at a
// time. Raises ECorruptFile "Compressed file is corrupt" for inconsistent code
// tables, for a stream that runs out before E bytes (nothing past the last good
// chunk is written), for a payload shorter than the size field, and for E above
// maxExpandedSize.
void DecompressStream(TStream& Source, TStream& Dest, int64_t maxExpandedSize = kMaxExpandedSize);

// Deciphers Stream's whole 8-byte blocks in place and cuts it by its pad count.
// Does nothing for an empty stream or a refused (weak) key; an empty key raises
// tazu::Exception and a pad count larger than the stream raises ECorruptFile.
void DecryptStream(TMemoryStream& Stream, const std::string& Key);

}  // namespace tazu
