// Code lengths and canonical codes for the lh5 encoder: Huffman lengths limited
// to a maximum, and codes assigned in the order the decoder's tables expect.
#pragma once

#include <cstdint>
#include <vector>

namespace tazu {

// Lengths for `frequencies` (0 for unused symbols), none longer than maxLength.
// Needs at least two used symbols; a code of one symbol is sent in the stream's
// own single-symbol form instead.
std::vector<uint8_t> BuildCodeLengths(const std::vector<uint32_t>& frequencies, int maxLength);

// Canonical codes: by length, then by symbol, each right-aligned in its length.
std::vector<uint16_t> CanonicalCodes(const std::vector<uint8_t>& lengths);

}  // namespace tazu
