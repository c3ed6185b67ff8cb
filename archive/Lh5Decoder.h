// The lh5 bit-stream decoder behind DecompressStream: a most-significant-bit-first
// bit reader, canonical Huffman tables with tree continuation, and the 8 KB window
// that output chunks are produced in.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "archive/Lh5Format.h"
#include "base/Streams.h"

namespace tazu {

// Reads the payload in 8 KB blocks; after its last byte it supplies zero bits.
class TLh5BitReader {
 public:
  static constexpr int kPeekBits = 16;

  TLh5BitReader(TStream& source, int64_t payloadBytes);

  // The next 16 bits of the stream, most significant first.
  uint32_t Peek16() const { return static_cast<uint32_t>(bits_ >> (kAccumulatorBits - kPeekBits)); }
  // Discards `count` (0..16) bits.
  void Skip(int count) {
    bits_ <<= count;
    available_ -= count;
    if (available_ < kPeekBits) Refill();
  }
  // Takes `count` (0..16) bits as an unsigned number.
  uint32_t Read(int count) {
    const uint32_t value =
        count == 0 ? 0 : static_cast<uint32_t>(bits_ >> (kAccumulatorBits - count));
    Skip(count);
    return value;
  }
  // True once more bits have been consumed than the payload holds.
  bool Overrun() const { return zeroBytes_ * kByteBits > static_cast<uint64_t>(available_); }

 private:
  static constexpr int kAccumulatorBits = 64;
  static constexpr int kByteBits = 8;
  static constexpr size_t kBlockBytes = 8192;

  void Refill();
  uint8_t NextByte();

  TStream& source_;
  int64_t unfetched_;  // payload bytes not yet read from the source
  std::vector<uint8_t> block_;
  size_t blockPos_ = 0;
  size_t blockLen_ = 0;
  uint64_t bits_ = 0;  // next bits at the top
  int available_ = 0;  // valid bits in bits_
  uint64_t zeroBytes_ = 0;
};

// One canonical Huffman code: a direct table of `tableBits` bits, longer codes
// continuing in a binary tree whose nodes are numbered from the symbol count up.
class THuffmanDecodeTable {
 public:
  THuffmanDecodeTable(uint32_t symbolCount, int tableBits);

  uint32_t SymbolCount() const { return symbolCount_; }
  // Lengths to fill before Build(); all others stay 0.
  std::vector<uint8_t>& Lengths() { return lengths_; }

  // A code of one symbol that costs no bits. Raises ECorruptFile outside the alphabet.
  void SetSingle(uint32_t symbol);
  // Builds the table from Lengths(). Raises ECorruptFile unless the lengths form a
  // complete prefix code; all lengths 0 build a code that raises when used.
  void Build();

  uint32_t Decode(TLh5BitReader& reader) const {
    const uint32_t bits = reader.Peek16();
    uint32_t symbol = table_[bits >> (TLh5BitReader::kPeekBits - tableBits_)];
    if (symbol >= symbolCount_) symbol = WalkTree(symbol, bits);
    reader.Skip(lengths_[symbol]);
    return symbol;
  }

 private:
  static constexpr uint16_t kEmptyCode = 0xFFFF;

  uint32_t WalkTree(uint32_t node, uint32_t bits) const;
  void FillLongCode(uint32_t symbol, int length, uint32_t code, uint32_t& nextNode);

  uint32_t symbolCount_;
  int tableBits_;
  std::vector<uint8_t> lengths_;
  std::vector<uint16_t> table_;
  std::vector<uint16_t> left_;
  std::vector<uint16_t> right_;
};

class TLh5Decoder {
 public:
  TLh5Decoder(TStream& source, int64_t payloadBytes);

  // Produces the next `count` (1..8192) output bytes at the start of the window and
  // returns them; a match cut off by the chunk's end goes on in the next chunk.
  const uint8_t* NextChunk(uint32_t count);
  // True once the decoder has used bits beyond the end of the payload.
  bool InputOverrun() const { return reader_.Overrun(); }

 private:
  void StartBlock();
  void ReadSmallCodeLengths(THuffmanDecodeTable& code, int countBits, int special);
  void ReadCodeLengths();
  uint32_t ReadOneLength();
  uint32_t DecodePosition();
  uint32_t ContinueCopy(uint32_t pos, uint32_t count);

  TLh5BitReader reader_;
  THuffmanDecodeTable codes_;
  THuffmanDecodeTable preCode_;
  THuffmanDecodeTable positions_;
  uint32_t blockLeft_ = 0;
  // Zero-filled, so a reference before the first output byte reads zeros.
  std::array<uint8_t, lh5::kWindowSize> window_{};
  uint32_t copyLeft_ = 0;
  uint32_t copyFrom_ = 0;
};

}  // namespace tazu
