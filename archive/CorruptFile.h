// The exception for a damaged archive or compressed stream, shared by the
// decompressor, the decipher routine and the archive component.
#pragma once

#include "base/Exceptions.h"

namespace tazu {

// Raised by the decompressor (and by the decipher routine for a malformed pad).
inline constexpr const char* kCompressedFileCorrupt = "Compressed file is corrupt";
// Raised by the archive component; it replaces whatever the inner layers raised.
inline constexpr const char* kArchiveFileCorrupt = "File is corrupt.";

class ECorruptFile : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace tazu
