// Feeds arbitrary bytes to the picture decoders: any input must either decode or
// raise EInvalidGraphic, never crash, leak or end the process.
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/Exceptions.h"
#include "framework/ImageCodecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  try {
    const tazu::Bitmap32 image = tazu::DecodeImage(bytes);
    // Touch every pixel so that a wrong size would show up under the sanitizers.
    uint32_t sum = 0;
    for (int y = 0; y < image.Height(); ++y) sum += image.Row(y)[image.Width() - 1];
    static_cast<void>(sum);
  } catch (const tazu::EInvalidGraphic&) {
  }
  // The decoders must also refuse data of the other format cleanly.
  try {
    tazu::DecodePng(bytes);
  } catch (const tazu::EInvalidGraphic&) {
  }
  return 0;
}
