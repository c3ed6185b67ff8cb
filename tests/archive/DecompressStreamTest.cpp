// DecompressStream on hand-made lh5 streams: framing, block and code edge cases,
// chunking at the 8 KB window, and every malformed case ending in ECorruptFile.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "archive/StreamRoutines.h"
#include "tests/archive/Lh5TestStream.h"

namespace tazu {
namespace {

using test::PutByte;
using test::PutByteAndMatchCode;
using test::PutMatch;
using test::PutSingle;
using test::PutSingleSymbolBlock;
using test::PutSmallLength;
using test::TBitBuilder;

constexpr uint32_t kLongestMatchSymbol = 509;  // length 256

// Records the size of every write, to see the output's chunks.
class TRecordingStream : public TMemoryStream {
 public:
  int64_t Write(const void* buffer, int64_t count) override {
    writes.push_back(count);
    return TMemoryStream::Write(buffer, count);
  }
  std::vector<int64_t> writes;
};

std::string ToString(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

std::string Expand(const std::string& payload, int64_t limit = kMaxExpandedSize) {
  TMemoryStream source;
  source.WriteBuffer(payload.data(), static_cast<int64_t>(payload.size()));
  source.SetPosition(0);
  TMemoryStream dest;
  DecompressStream(source, dest, limit);
  return ToString(dest.Bytes());
}

void ExpectCorrupt(const std::string& payload) {
  try {
    Expand(payload);
    FAIL() << "expected ECorruptFile";
  } catch (const ECorruptFile& e) {
    EXPECT_EQ(e.Message(), "Compressed file is corrupt");
  }
}

// The reference meaning of a match: byte-by-byte copy from `distance` back.
void CopyMatch(std::string& out, int length, int distance) {
  for (int i = 0; i < length; ++i) out.push_back(out[out.size() - distance]);
}

char PatternByte(size_t i) { return static_cast<char>((i * 131 + (i >> 7) * 17) & 0xFF); }

TEST(DecompressStreamFraming, ExpandedSizeZeroOrNegativeWritesNothing) {
  TBitBuilder bits;
  PutSingleSymbolBlock(bits, 5, 'x');
  EXPECT_EQ(Expand(test::Payload(0, bits.Bytes())), "");
  EXPECT_EQ(Expand(test::Payload(-5, bits.Bytes())), "");
  EXPECT_EQ(Expand(test::Payload(0, {})), "");
}

TEST(DecompressStreamFraming, ReadsFromSourcePositionAndWritesAtDestPosition) {
  TBitBuilder bits;
  PutSingleSymbolBlock(bits, 3, 'z');
  const std::string payload = "junk" + test::Payload(3, bits.Bytes());
  TMemoryStream source;
  source.WriteBuffer(payload.data(), static_cast<int64_t>(payload.size()));
  source.SetPosition(4);
  TMemoryStream dest;
  dest.WriteBuffer("abcdef", 6);
  dest.SetPosition(2);
  DecompressStream(source, dest);
  EXPECT_EQ(ToString(dest.Bytes()), "abzzzf");
}

TEST(DecompressStreamFraming, PayloadShorterThanSizeFieldIsCorrupt) {
  for (const std::string& payload : {std::string(), std::string("\x01"), std::string("\x01\x00", 2),
                                     std::string("\x01\x00\x00", 3)}) {
    ExpectCorrupt(payload);
  }
}

TEST(DecompressStreamBlocks, SingleSymbolCodesCostNoBits) {
  TBitBuilder bits;
  PutSingleSymbolBlock(bits, 3, 'x');
  const int64_t headerBits = bits.BitCount();
  PutSingleSymbolBlock(bits, 2, 'y');
  // Nothing but the two headers: the five symbols took no bits.
  EXPECT_EQ(bits.BitCount(), 2 * headerBits);
  EXPECT_EQ(Expand(test::Payload(5, bits.Bytes())), "xxxyy");
}

TEST(DecompressStreamBlocks, StoredCountZeroMeans65536Symbols) {
  TBitBuilder bits;
  PutSingleSymbolBlock(bits, 0, 'A');
  PutSingleSymbolBlock(bits, 1, 'B');
  const std::string out = Expand(test::Payload(65537, bits.Bytes()));
  EXPECT_EQ(out, std::string(65536, 'A') + "B");
}

TEST(DecompressStreamMatches, DistanceOneLength256RepeatsOneByte) {
  TBitBuilder bits;
  PutByteAndMatchCode(bits, 2, kLongestMatchSymbol);
  PutSingle(bits, test::kPosCountBits, 0);  // distance 1, no extra bits
  PutByte(bits, 'Q');
  PutMatch(bits);
  EXPECT_EQ(Expand(test::Payload(257, bits.Bytes())), std::string(257, 'Q'));
}

TEST(DecompressStreamMatches, ShortestMatchAndLiteralBytesOfEveryValue) {
  TBitBuilder bits;
  PutByteAndMatchCode(bits, 257, 256);      // match length 3
  PutSingle(bits, test::kPosCountBits, 3);  // distances 5..8, 2 extra bits
  std::string expected;
  for (int v = 0; v < 256; ++v) {
    PutByte(bits, static_cast<uint8_t>(v));
    expected.push_back(static_cast<char>(v));
  }
  PutMatch(bits);
  bits.Put(2, 2);  // distance 4 + 2 + 1 = 7
  CopyMatch(expected, 3, 7);
  EXPECT_EQ(Expand(test::Payload(static_cast<int32_t>(expected.size()), bits.Bytes())), expected);
}

// 8190 bytes, then two 256-byte matches: the first straddles output position
// 8192, the second reaches 8192 back across the chunk boundary.
std::string BoundaryStream(std::string& expected) {
  constexpr size_t kLead = 8190;
  TBitBuilder bits;
  PutByteAndMatchCode(bits, kLead + 2, kLongestMatchSymbol);
  PutSingle(bits, test::kPosCountBits, 13);  // distances 4097..8192, 12 extra bits
  for (size_t i = 0; i < kLead; ++i) {
    PutByte(bits, static_cast<uint8_t>(PatternByte(i)));
    expected.push_back(PatternByte(i));
  }
  for (int distance : {5000, 8192}) {
    PutMatch(bits);
    bits.Put(12, static_cast<uint32_t>(distance - 4097));
    CopyMatch(expected, 256, distance);
  }
  return test::Payload(static_cast<int32_t>(expected.size()), bits.Bytes());
}

TEST(DecompressStreamMatches, MatchAcrossChunkBoundaryContinuesInNextChunk) {
  std::string expected;
  const std::string payload = BoundaryStream(expected);
  ASSERT_EQ(expected.size(), 8702u);
  EXPECT_EQ(Expand(payload), expected);
}

TEST(DecompressStreamMatches, PositionCodeWithEscapedLengthsAndTreeContinuation) {
  TBitBuilder bits;
  constexpr size_t kLead = 600;
  PutByteAndMatchCode(bits, kLead + 4, 276);  // match length 23
  // Position lengths 1..9, 9 for symbols 0..9: 7, 8 and 9 use the escape, and
  // 9 is longer than the 8-bit table. "111110" is 7-1-1-0: length 9 in 6 bits.
  bits.Put(test::kPosCountBits, 10);
  for (int length : {1, 2, 3, 4, 5, 6, 7, 8, 9, 9}) PutSmallLength(bits, length);
  std::string expected;
  for (size_t i = 0; i < kLead; ++i) {
    PutByte(bits, static_cast<uint8_t>(PatternByte(i)));
    expected.push_back(PatternByte(i));
  }
  PutMatch(bits);
  bits.Put(9, 0b111111110).Put(7, 5);  // symbol 8: distance 128 + 5 + 1
  CopyMatch(expected, 23, 134);
  PutMatch(bits);
  bits.Put(9, 0b111111111).Put(8, 100);  // symbol 9: distance 256 + 100 + 1
  CopyMatch(expected, 23, 357);
  PutMatch(bits);
  bits.Put(1, 0);  // symbol 0: distance 1
  CopyMatch(expected, 23, 1);
  PutByte(bits, '!');
  expected.push_back('!');
  EXPECT_EQ(Expand(test::Payload(static_cast<int32_t>(expected.size()), bits.Bytes())), expected);
}

TEST(DecompressStreamMatches, ReferenceBeforeFirstByteReadsZeros) {
  TBitBuilder bits;
  PutByteAndMatchCode(bits, 2, 276);        // match length 23
  PutSingle(bits, test::kPosCountBits, 2);  // distances 3..4
  PutByte(bits, 'k');
  PutMatch(bits);
  bits.Put(1, 1);  // distance 4: three bytes before the start
  std::string expected = "k";
  for (int i = 1; i <= 23; ++i) expected.push_back(i < 4 ? '\0' : expected[i - 4]);
  EXPECT_EQ(Expand(test::Payload(24, bits.Bytes())), expected);
}

TEST(DecompressStreamChunks, ExactWindowIsOneChunkOneMoreIsTwo) {
  for (int32_t size : {8192, 8193}) {
    TBitBuilder bits;
    PutSingleSymbolBlock(bits, static_cast<uint32_t>(size), 'c');
    TMemoryStream source;
    const std::string payload = test::Payload(size, bits.Bytes());
    source.WriteBuffer(payload.data(), static_cast<int64_t>(payload.size()));
    source.SetPosition(0);
    TRecordingStream dest;
    DecompressStream(source, dest);
    EXPECT_EQ(ToString(dest.Bytes()), std::string(size, 'c'));
    const std::vector<int64_t> expectedWrites =
        size == 8192 ? std::vector<int64_t>{8192} : std::vector<int64_t>{8192, 1};
    EXPECT_EQ(dest.writes, expectedWrites);
  }
}

TEST(DecompressStreamTruncation, StreamEndingEarlyIsCorruptAfterTheLastWholeChunk) {
  std::string expected;
  std::string payload = BoundaryStream(expected);
  payload.resize(payload.size() - 2);  // the last match's bits are gone
  TMemoryStream source;
  source.WriteBuffer(payload.data(), static_cast<int64_t>(payload.size()));
  source.SetPosition(0);
  TMemoryStream dest;
  EXPECT_THROW(DecompressStream(source, dest), ECorruptFile);
  EXPECT_EQ(ToString(dest.Bytes()), expected.substr(0, 8192));
}

TEST(DecompressStreamTruncation, HugeExpandedSizeStopsWhenRealBitsRunOut) {
  TBitBuilder bits;
  PutSingleSymbolBlock(bits, 0, 'A');  // 65536 bytes for a few bits
  TMemoryStream source;
  const std::string payload = test::Payload(std::numeric_limits<int32_t>::max(), bits.Bytes());
  source.WriteBuffer(payload.data(), static_cast<int64_t>(payload.size()));
  source.SetPosition(0);
  TMemoryStream dest;
  EXPECT_THROW(DecompressStream(source, dest, std::numeric_limits<int64_t>::max()), ECorruptFile);
  EXPECT_EQ(dest.Size(), 65536);
}

TEST(DecompressStreamTruncation, ExpandedSizeAboveLimitIsCorrupt) {
  TBitBuilder bits;
  PutSingleSymbolBlock(bits, 1000, 'L');
  EXPECT_EQ(Expand(test::Payload(1000, bits.Bytes()), 1000), std::string(1000, 'L'));
  EXPECT_THROW(Expand(test::Payload(1001, bits.Bytes()), 1000), ECorruptFile);
}

// ---- malformed code tables ----

TEST(DecompressStreamCorrupt, CodeLengthsNotFillingTheCodeSpace) {
  TBitBuilder bits;  // pre-code lengths 1 and 2: three quarters of the space
  bits.Put(test::kBlockBits, 1).Put(test::kPreCountBits, 2);
  PutSmallLength(bits, 1);
  PutSmallLength(bits, 2);
  ExpectCorrupt(test::Payload(1, bits.Bytes()));
}

TEST(DecompressStreamCorrupt, CodeLengthsFillingTheCodeSpaceTwice) {
  TBitBuilder bits;  // four 1-bit codes: 131072, a multiple of 65536
  bits.Put(test::kBlockBits, 1).Put(test::kPreCountBits, 4);
  PutSmallLength(bits, 1);
  PutSmallLength(bits, 1);
  PutSmallLength(bits, 1);
  bits.Put(2, 0);
  PutSmallLength(bits, 1);
  ExpectCorrupt(test::Payload(1, bits.Bytes()));
}

TEST(DecompressStreamCorrupt, AllZeroLengthsUsedForDecoding) {
  TBitBuilder bits;  // a pre-code of zero lengths, then literal lengths through it
  bits.Put(test::kBlockBits, 1).Put(test::kPreCountBits, 3);
  for (int i = 0; i < 3; ++i) PutSmallLength(bits, 0);
  bits.Put(2, 0).Put(test::kCodeCountBits, 5);
  ExpectCorrupt(test::Payload(1, bits.Bytes()));
}

TEST(DecompressStreamCorrupt, LengthCountsLargerThanTheAlphabet) {
  {
    TBitBuilder bits;
    bits.Put(test::kBlockBits, 1).Put(test::kPreCountBits, 20);
    ExpectCorrupt(test::Payload(1, bits.Bytes()));
  }
  {
    TBitBuilder bits;
    bits.Put(test::kBlockBits, 1);
    PutSingle(bits, test::kPreCountBits, 3);
    bits.Put(test::kCodeCountBits, 511);
    ExpectCorrupt(test::Payload(1, bits.Bytes()));
  }
  {
    TBitBuilder bits;
    bits.Put(test::kBlockBits, 1);
    PutSingle(bits, test::kPreCountBits, 0);
    PutSingle(bits, test::kCodeCountBits, 'a');
    bits.Put(test::kPosCountBits, 15);
    ExpectCorrupt(test::Payload(1, bits.Bytes()));
  }
}

TEST(DecompressStreamCorrupt, ZeroRunPastTheAlphabet) {
  TBitBuilder bits;
  bits.Put(test::kBlockBits, 1);
  PutSingle(bits, test::kPreCountBits, 2);  // every pre-code symbol is a long zero run
  bits.Put(test::kCodeCountBits, 510).Put(9, 500 - 20).Put(9, 0);  // 500 + 20 zeros
  ExpectCorrupt(test::Payload(1, bits.Bytes()));
}

TEST(DecompressStreamCorrupt, LengthEscapeAbove16) {
  for (int ones : {10, 13}) {
    TBitBuilder bits;
    bits.Put(test::kBlockBits, 1).Put(test::kPreCountBits, 1).Put(3, 7);
    for (int i = 0; i < ones; ++i) bits.Put(1, 1);
    bits.Put(1, 0);
    ExpectCorrupt(test::Payload(1, bits.Bytes()));
  }
}

TEST(DecompressStreamCorrupt, SingleSymbolOutsideItsAlphabet) {
  {
    TBitBuilder bits;
    bits.Put(test::kBlockBits, 1);
    PutSingle(bits, test::kPreCountBits, 19);
    ExpectCorrupt(test::Payload(1, bits.Bytes()));
  }
  {
    TBitBuilder bits;
    PutSingleSymbolBlock(bits, 1, 510);
    ExpectCorrupt(test::Payload(1, bits.Bytes()));
  }
  {
    TBitBuilder bits;
    PutSingleSymbolBlock(bits, 1, 'a', 14);
    ExpectCorrupt(test::Payload(1, bits.Bytes()));
  }
}

TEST(DecompressStreamCorrupt, ValidSingleSymbolsAtTheAlphabetEdgeDecode) {
  TBitBuilder bits;  // symbol 509 is the last valid one
  PutSingleSymbolBlock(bits, 2, 'e');
  PutSingleSymbolBlock(bits, 1, kLongestMatchSymbol, 1);  // distance 2
  EXPECT_EQ(Expand(test::Payload(258, bits.Bytes())), std::string(258, 'e'));
}

}  // namespace
}  // namespace tazu
