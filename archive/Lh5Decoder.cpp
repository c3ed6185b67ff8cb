#include "archive/Lh5Decoder.h"

#include <algorithm>

#include "archive/CorruptFile.h"

namespace tazu {

using namespace lh5;

namespace {

[[noreturn]] void Corrupt() { throw ECorruptFile(kCompressedFileCorrupt); }

// Refilling stops once this many bits are held, leaving room for one more byte.
constexpr int kRefillTarget = 56;

}  // namespace

// ---- TLh5BitReader ----

TLh5BitReader::TLh5BitReader(TStream& source, int64_t payloadBytes)
    : source_(source), unfetched_(std::max<int64_t>(0, payloadBytes)), block_(kBlockBytes) {
  Refill();
}

uint8_t TLh5BitReader::NextByte() {
  if (blockPos_ == blockLen_) {
    blockPos_ = blockLen_ = 0;
    if (unfetched_ > 0) {
      const int64_t want = std::min<int64_t>(unfetched_, kBlockBytes);
      const int64_t got = std::max<int64_t>(0, source_.Read(block_.data(), want));
      // A source that delivers less than it claimed has ended there.
      unfetched_ = got < want ? 0 : unfetched_ - want;
      blockLen_ = static_cast<size_t>(got);
    }
    if (blockLen_ == 0) {
      ++zeroBytes_;
      return 0;
    }
  }
  return block_[blockPos_++];
}

void TLh5BitReader::Refill() {
  while (available_ <= kRefillTarget) {
    bits_ |= static_cast<uint64_t>(NextByte()) << (kRefillTarget - available_);
    available_ += kByteBits;
  }
}

// ---- THuffmanDecodeTable ----

THuffmanDecodeTable::THuffmanDecodeTable(uint32_t symbolCount, int tableBits)
    : symbolCount_(symbolCount),
      tableBits_(tableBits),
      lengths_(symbolCount, 0),
      table_(size_t{1} << tableBits, kEmptyCode),
      left_(2 * symbolCount, 0),
      right_(2 * symbolCount, 0) {}

void THuffmanDecodeTable::SetSingle(uint32_t symbol) {
  if (symbol >= symbolCount_) Corrupt();
  std::fill(lengths_.begin(), lengths_.end(), 0);
  std::fill(table_.begin(), table_.end(), static_cast<uint16_t>(symbol));
}

void THuffmanDecodeTable::Build() {
  std::array<uint32_t, kMaxCodeLength + 2> count{};
  for (uint8_t length : lengths_) {
    if (length > kMaxCodeLength) Corrupt();
    ++count[length];
  }
  // Canonical starts, left-aligned in 16 bits; wider arithmetic so that an
  // over-full code cannot wrap round to look complete.
  std::array<uint32_t, kMaxCodeLength + 2> start{};
  for (int k = 1; k <= kMaxCodeLength; ++k) {
    start[k + 1] = start[k] + (count[k] << (kMaxCodeLength - k));
  }
  const uint32_t total = start[kMaxCodeLength + 1];
  if (total == 0) {
    std::fill(table_.begin(), table_.end(), kEmptyCode);
    return;
  }
  if (total != kCodeSpace) Corrupt();

  const int shift = kMaxCodeLength - tableBits_;
  std::array<uint32_t, kMaxCodeLength + 1> weight{};
  for (int k = 1; k <= kMaxCodeLength; ++k) {
    weight[k] = k <= tableBits_ ? 1u << (tableBits_ - k) : 1u << (kMaxCodeLength - k);
    if (k <= tableBits_) start[k] >>= shift;
  }
  const uint32_t firstLong = start[tableBits_ + 1] >> shift;
  std::fill(table_.begin() + firstLong, table_.end(), 0);

  uint32_t nextNode = symbolCount_;
  for (uint32_t symbol = 0; symbol < symbolCount_; ++symbol) {
    const int length = lengths_[symbol];
    if (length == 0) continue;
    if (length <= tableBits_) {
      std::fill_n(table_.begin() + start[length], weight[length], static_cast<uint16_t>(symbol));
    } else {
      FillLongCode(symbol, length, start[length], nextNode);
    }
    start[length] += weight[length];
  }
}

void THuffmanDecodeTable::FillLongCode(uint32_t symbol, int length, uint32_t code,
                                       uint32_t& nextNode) {
  constexpr uint32_t kCodeMask = kCodeSpace - 1;
  const uint32_t branchBit = 1u << (kMaxCodeLength - 1 - tableBits_);
  uint16_t* slot = &table_[code >> (kMaxCodeLength - tableBits_)];
  for (int step = tableBits_; step < length; ++step) {
    if (*slot == 0) {
      if (nextNode >= left_.size()) Corrupt();
      left_[nextNode] = right_[nextNode] = 0;
      *slot = static_cast<uint16_t>(nextNode++);
    }
    if (*slot < symbolCount_ || *slot >= left_.size()) Corrupt();
    slot = (code & branchBit) != 0 ? &right_[*slot] : &left_[*slot];
    code = (code << 1) & kCodeMask;
  }
  *slot = static_cast<uint16_t>(symbol);
}

uint32_t THuffmanDecodeTable::WalkTree(uint32_t node, uint32_t bits) const {
  uint32_t mask = 1u << (kMaxCodeLength - 1 - tableBits_);
  while (node >= symbolCount_) {
    if (mask == 0 || node >= left_.size()) Corrupt();
    node = (bits & mask) != 0 ? right_[node] : left_[node];
    mask >>= 1;
  }
  return node;
}

// ---- TLh5Decoder ----

TLh5Decoder::TLh5Decoder(TStream& source, int64_t payloadBytes)
    : reader_(source, payloadBytes),
      codes_(kCodeCount, kCodeTableBits),
      preCode_(kPreCodeCount, kSmallTableBits),
      positions_(kPositionCount, kSmallTableBits) {}

const uint8_t* TLh5Decoder::NextChunk(uint32_t count) {
  count = std::min(count, kWindowSize);
  uint32_t pos = ContinueCopy(0, count);
  while (pos < count) {
    if (blockLeft_ == 0) StartBlock();
    --blockLeft_;
    const uint32_t symbol = codes_.Decode(reader_);
    if (symbol < kLiteralCount) {
      window_[pos++] = static_cast<uint8_t>(symbol);
      continue;
    }
    copyLeft_ = symbol - kMatchSymbolBias;
    copyFrom_ = (pos - DecodePosition() - 1) & kWindowMask;
    pos = ContinueCopy(pos, count);
  }
  return window_.data();
}

uint32_t TLh5Decoder::ContinueCopy(uint32_t pos, uint32_t count) {
  // One byte at a time: a match may overlap the bytes it produces.
  while (copyLeft_ > 0 && pos < count) {
    window_[pos++] = window_[copyFrom_];
    copyFrom_ = (copyFrom_ + 1) & kWindowMask;
    --copyLeft_;
  }
  return pos;
}

void TLh5Decoder::StartBlock() {
  blockLeft_ = reader_.Read(kBlockCountBits);
  if (blockLeft_ == 0) blockLeft_ = kMaxBlockSymbols;
  ReadSmallCodeLengths(preCode_, kPreCodeCountBits, kPreCodeSpecial);
  ReadCodeLengths();
  ReadSmallCodeLengths(positions_, kPositionCountBits, kNoSpecial);
}

uint32_t TLh5Decoder::ReadOneLength() {
  const uint32_t bits = reader_.Peek16();
  uint32_t length = bits >> (TLh5BitReader::kPeekBits - kLengthFieldBits);
  if (length == kLengthEscape) {
    uint32_t mask = 1u << (TLh5BitReader::kPeekBits - kLengthFieldBits - 1);
    for (int ones = 0; ones < kLengthEscapeMaxOnes && (bits & mask) != 0; ++ones, mask >>= 1) {
      ++length;
    }
    // Checked before skipping: a longer escape than any valid length is corrupt.
    if (length > kMaxCodeLength) Corrupt();
    reader_.Skip(static_cast<int>(length) - (kLengthFieldBits));
  } else {
    reader_.Skip(kLengthFieldBits);
  }
  return length;
}

void TLh5Decoder::ReadSmallCodeLengths(THuffmanDecodeTable& code, int countBits, int special) {
  const uint32_t n = reader_.Read(countBits);
  if (n == 0) {
    code.SetSingle(reader_.Read(countBits));
    return;
  }
  if (n > code.SymbolCount()) Corrupt();
  auto& lengths = code.Lengths();
  std::fill(lengths.begin(), lengths.end(), 0);
  uint32_t i = 0;
  while (i < n) {
    lengths[i++] = static_cast<uint8_t>(ReadOneLength());
    if (static_cast<int>(i) == special) {
      const uint32_t zeros = reader_.Read(kSpecialZeroBits);
      if (i + zeros > code.SymbolCount()) Corrupt();
      i += zeros;  // the lengths are already 0
    }
  }
  code.Build();
}

void TLh5Decoder::ReadCodeLengths() {
  const uint32_t n = reader_.Read(kCodeCountBits);
  if (n == 0) {
    codes_.SetSingle(reader_.Read(kCodeCountBits));
    return;
  }
  if (n > kCodeCount) Corrupt();
  auto& lengths = codes_.Lengths();
  std::fill(lengths.begin(), lengths.end(), 0);
  uint32_t i = 0;
  while (i < n) {
    const uint32_t c = preCode_.Decode(reader_);
    if (c > kZeroRunLong) {
      lengths[i++] = static_cast<uint8_t>(c - kPreCodeLengthBias);
      continue;
    }
    uint32_t zeros = 1;
    if (c == kZeroRunShort) zeros = reader_.Read(kZeroRunShortBits) + kZeroRunShortBase;
    if (c == kZeroRunLong) zeros = reader_.Read(kZeroRunLongBits) + kZeroRunLongBase;
    if (i + zeros > kCodeCount) Corrupt();
    i += zeros;
  }
  codes_.Build();
}

uint32_t TLh5Decoder::DecodePosition() {
  const uint32_t j = positions_.Decode(reader_);
  if (j == 0) return 0;
  return (1u << (j - 1)) + reader_.Read(static_cast<int>(j) - 1);
}

}  // namespace tazu
