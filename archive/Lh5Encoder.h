// The lh5 compressor for tools and tests: LZSS with hash chains over the 8 KB
// window, then per-block canonical Huffman codes. Never linked into the launcher.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tazu {

struct TLh5EncodeOptions {
  // Candidates tried per position; longer chains find longer matches, slowly.
  int maxChain = 256;
  // A match at least this long is taken without looking one byte further.
  uint32_t goodEnough = 64;
  // Defer a match by one byte when the next position matches longer.
  bool lazy = true;
  // Symbols per block, 1..65536.
  uint32_t blockSymbols = 16384;
};

// The raw lh5 bit stream for `data`, without the expanded-size field.
std::vector<uint8_t> EncodeLh5(std::span<const uint8_t> data,
                               const TLh5EncodeOptions& options = {});

}  // namespace tazu
