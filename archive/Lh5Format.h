// Fixed constants of the lh5 bit stream (static-Huffman LZSS, 8 KB window), shared
// by the decoder and the encoder.
#pragma once

#include <cstdint>

namespace tazu::lh5 {

constexpr int kWindowBits = 13;
constexpr uint32_t kWindowSize = 1u << kWindowBits;  // bytes of history
constexpr uint32_t kWindowMask = kWindowSize - 1;

// Literal/length alphabet: 0..255 literal bytes, 256..509 match lengths 3..256.
constexpr uint32_t kLiteralCount = 256;
constexpr uint32_t kCodeCount = 510;
constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kMaxMatch = 256;
constexpr uint32_t kMatchSymbolBias = kLiteralCount - kMinMatch;  // symbol = length + bias
constexpr int kCodeCountBits = 9;

// Position alphabet: symbol 0 is distance 1, symbol j adds j - 1 extra bits.
constexpr uint32_t kPositionCount = kWindowBits + 1;
constexpr int kPositionCountBits = 4;

// The pre-code that carries the literal/length code lengths.
constexpr uint32_t kPreCodeCount = 19;
constexpr int kPreCodeCountBits = 5;
constexpr int kPreCodeSpecial = 3;  // after this many lengths, 2 bits of zero lengths
constexpr int kSpecialZeroBits = 2;
constexpr int kNoSpecial = -1;

// Pre-code symbols 0..2 are zero runs; 3..18 are lengths 1..16.
constexpr uint32_t kZeroRunOne = 0;
constexpr uint32_t kZeroRunShort = 1;  // 4 extra bits, 3..18 zeros
constexpr int kZeroRunShortBits = 4;
constexpr uint32_t kZeroRunShortBase = 3;
constexpr uint32_t kZeroRunLong = 2;  // 9 extra bits, 20..531 zeros
constexpr int kZeroRunLongBits = 9;
constexpr uint32_t kZeroRunLongBase = 20;
constexpr uint32_t kPreCodeLengthBias = 2;

// Lengths of the pre-code and the position code: 3 bits, 7 escapes to a run of ones.
constexpr int kLengthFieldBits = 3;
constexpr uint32_t kLengthEscape = 7;
constexpr int kLengthEscapeMaxOnes = 13;

constexpr int kMaxCodeLength = 16;
constexpr uint32_t kCodeSpace = 1u << kMaxCodeLength;  // Kraft total of a complete code
constexpr int kCodeTableBits = 12;
constexpr int kSmallTableBits = 8;

constexpr int kBlockCountBits = 16;
constexpr uint32_t kMaxBlockSymbols = 1u << kBlockCountBits;  // stored as 0

// The compressed payload starts with the expanded size, 4 bytes little-endian.
constexpr int kExpandedSizeBytes = 4;

}  // namespace tazu::lh5
