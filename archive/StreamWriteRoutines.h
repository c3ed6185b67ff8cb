// The writing direction of the archive layers, for tools and tests only: lh5
// compression with the 4-byte expanded size, and the Blowfish encipher with its
// pad count. Never linked into the launcher.
#pragma once

#include <string>

#include "archive/Lh5Encoder.h"
#include "base/Streams.h"

namespace tazu {

// Compresses Source from its position to its end into Dest at Dest's position:
// the expanded size (4 bytes, little-endian), then the lh5 bit stream.
void CompressStream(TStream& Source, TStream& Dest, const TLh5EncodeOptions& options = {});

// Pads Stream to whole 8-byte blocks (its last byte the pad count) and enciphers
// every block in place. Raises tazu::Exception for an empty key or a key whose
// S-boxes the reader would refuse.
void EncryptStream(TMemoryStream& Stream, const std::string& Key);

}  // namespace tazu
