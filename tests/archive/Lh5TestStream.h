// Hand-made lh5 bit streams for the decoder tests: a most-significant-bit-first
// bit builder and the few code layouts the tests need, each written out field by
// field so that a test reads like the stream it makes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tazu::test {

class TBitBuilder {
 public:
  TBitBuilder& Put(int count, uint32_t value) {
    for (int i = count - 1; i >= 0; --i) {
      acc_ = static_cast<uint8_t>((acc_ << 1) | ((value >> i) & 1u));
      if (++bits_ == 8) Flush();
    }
    return *this;
  }
  int64_t BitCount() const { return static_cast<int64_t>(bytes_.size()) * 8 + bits_; }
  // The stream so far, the last byte padded with zero bits.
  std::vector<uint8_t> Bytes() const {
    auto out = bytes_;
    if (bits_ > 0) out.push_back(static_cast<uint8_t>(acc_ << (8 - bits_)));
    return out;
  }

 private:
  void Flush() {
    bytes_.push_back(acc_);
    acc_ = 0;
    bits_ = 0;
  }
  std::vector<uint8_t> bytes_;
  uint8_t acc_ = 0;
  int bits_ = 0;
};

// The compressed payload: expanded size (little-endian) and the bit stream.
inline std::string Payload(int32_t expanded, const std::vector<uint8_t>& bits) {
  std::string out;
  for (int i = 0; i < 4; ++i)
    out.push_back(static_cast<char>(static_cast<uint32_t>(expanded) >> (8 * i)));
  out.append(bits.begin(), bits.end());
  return out;
}

// Field widths of the block header.
constexpr int kBlockBits = 16;
constexpr int kPreCountBits = 5;
constexpr int kCodeCountBits = 9;
constexpr int kPosCountBits = 4;

// A code of one symbol: count 0, then the symbol.
inline void PutSingle(TBitBuilder& b, int countBits, uint32_t symbol) {
  b.Put(countBits, 0).Put(countBits, symbol);
}

// One length of the pre-code or position code: 3 bits, or 7 and up as a run of ones.
inline void PutSmallLength(TBitBuilder& b, int length) {
  if (length < 7) {
    b.Put(3, static_cast<uint32_t>(length));
  } else {
    b.Put(3, 7);
    for (int i = 7; i < length; ++i) b.Put(1, 1);
    b.Put(1, 0);
  }
}

// A block whose three codes are all single symbols: every symbol costs no bits.
inline void PutSingleSymbolBlock(TBitBuilder& b, uint32_t count, uint32_t symbol,
                                 uint32_t position = 0) {
  b.Put(kBlockBits, count);
  PutSingle(b, kPreCountBits, 0);
  PutSingle(b, kCodeCountBits, symbol);
  PutSingle(b, kPosCountBits, position);
}

// Block header whose literal/length code gives every byte 9 bits and one match
// symbol (256 or 276..509) 1 bit. Canonically the match symbol is the code "0"
// and byte v is the 9-bit code 256 + v. The pre-code is: symbol 11 (length 9)
// "0", symbol 2 (long zero run) "10", symbol 3 (length 1) "11".
inline void PutByteAndMatchCode(TBitBuilder& b, uint32_t count, uint32_t matchSymbol) {
  b.Put(kBlockBits, count);
  b.Put(kPreCountBits, 12);  // pre-code lengths for symbols 0..11
  PutSmallLength(b, 0);
  PutSmallLength(b, 0);
  PutSmallLength(b, 2);
  b.Put(2, 0);  // no zero lengths skipped after the third
  PutSmallLength(b, 2);
  for (int s = 4; s <= 10; ++s) PutSmallLength(b, 0);
  PutSmallLength(b, 1);

  b.Put(kCodeCountBits, matchSymbol + 1);
  for (int v = 0; v < 256; ++v) b.Put(1, 0);  // length 9
  const uint32_t zeros = matchSymbol - 256;
  if (zeros > 0) b.Put(2, 2).Put(9, zeros - 20);
  b.Put(2, 3);  // length 1
}

inline void PutByte(TBitBuilder& b, uint8_t v) { b.Put(9, 256u + v); }
inline void PutMatch(TBitBuilder& b) { b.Put(1, 0); }

}  // namespace tazu::test
