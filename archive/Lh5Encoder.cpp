#include "archive/Lh5Encoder.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>

#include "archive/HuffmanLengths.h"
#include "archive/Lh5Format.h"
#include "base/Exceptions.h"

namespace tazu {

using namespace lh5;

namespace {

constexpr int kHashBits = 15;
constexpr uint32_t kHashSize = 1u << kHashBits;
constexpr uint32_t kChainSize = 2 * kWindowSize;  // ring of chain links, twice the reach
constexpr uint32_t kChainMask = kChainSize - 1;
constexpr int32_t kNoPosition = -1;
constexpr uint32_t kHashMultiplier = 2654435761u;

// Most significant bit first, zero-padded to a whole byte at the end.
class TBitWriter {
 public:
  void Put(int count, uint32_t value) {
    if (count == 0) return;
    acc_ = (acc_ << count) | (value & ((uint64_t{1} << count) - 1));
    bits_ += count;
    while (bits_ >= 8) {
      bits_ -= 8;
      out_.push_back(static_cast<uint8_t>(acc_ >> bits_));
    }
  }
  std::vector<uint8_t> Finish() {
    if (bits_ > 0) Put(8 - bits_, 0);
    return std::move(out_);
  }

 private:
  std::vector<uint8_t> out_;
  uint64_t acc_ = 0;  // only the low bits_ bits are pending
  int bits_ = 0;
};

struct TToken {
  uint16_t symbol;    // literal byte or match-length symbol
  uint16_t distance;  // distance - 1 for matches
};

struct TMatch {
  uint32_t length = 0;
  uint32_t distance = 0;
};

class TMatchFinder {
 public:
  TMatchFinder(std::span<const uint8_t> data, int maxChain)
      : data_(data), maxChain_(maxChain), head_(kHashSize, kNoPosition), chain_(kChainSize) {}

  void Insert(uint32_t pos) {
    if (pos + kMinMatch > data_.size()) return;
    const uint32_t h = Hash(pos);
    chain_[pos & kChainMask] = head_[h];
    head_[h] = static_cast<int32_t>(pos);
  }

  TMatch Find(uint32_t pos) const {
    TMatch best;
    if (pos + kMinMatch > data_.size()) return best;
    const uint32_t limit = static_cast<uint32_t>(std::min<size_t>(kMaxMatch, data_.size() - pos));
    int32_t candidate = head_[Hash(pos)];
    for (int tries = maxChain_; candidate >= 0 && tries > 0; --tries) {
      const uint32_t distance = pos - static_cast<uint32_t>(candidate);
      if (distance > kWindowSize) break;
      const uint32_t length = MatchLength(static_cast<uint32_t>(candidate), pos, limit);
      if (length > best.length) {
        best = {length, distance};
        if (length == limit) break;
      }
      const int32_t older = chain_[static_cast<uint32_t>(candidate) & kChainMask];
      if (older >= candidate) break;
      candidate = older;
    }
    if (best.length < kMinMatch) best = {};
    return best;
  }

 private:
  uint32_t Hash(uint32_t pos) const {
    const uint32_t v = data_[pos] | (data_[pos + 1] << 8) | (data_[pos + 2] << 16);
    return (v * kHashMultiplier) >> (32 - kHashBits);
  }
  uint32_t MatchLength(uint32_t from, uint32_t pos, uint32_t limit) const {
    uint32_t n = 0;
    while (n < limit && data_[from + n] == data_[pos + n]) ++n;
    return n;
  }

  std::span<const uint8_t> data_;
  int maxChain_;
  std::vector<int32_t> head_;
  std::vector<int32_t> chain_;
};

// Writes one code's lengths in the 3-bit form with its escape for 7 and up.
void PutLength(TBitWriter& out, uint32_t length) {
  if (length < kLengthEscape) {
    out.Put(kLengthFieldBits, length);
  } else {
    const int bits = static_cast<int>(length) - kLengthFieldBits;  // ones then a zero
    out.Put(bits, (1u << bits) - 2);
  }
}

size_t UsedLength(const std::vector<uint8_t>& lengths) {
  size_t n = lengths.size();
  while (n > 0 && lengths[n - 1] == 0) --n;
  return n;
}

size_t CountUsed(const std::vector<uint32_t>& frequencies, uint32_t& only) {
  size_t used = 0;
  for (uint32_t s = 0; s < frequencies.size(); ++s) {
    if (frequencies[s] > 0) {
      ++used;
      only = s;
    }
  }
  return used;
}

// A code of the pre-code or position kind: lengths in 3-bit form, or n = 0 and
// the single symbol.
struct TSmallCode {
  std::vector<uint8_t> lengths;
  std::vector<uint16_t> codes;
};

TSmallCode MakeCode(const std::vector<uint32_t>& frequencies, uint32_t& single, bool& isSingle) {
  single = 0;
  isSingle = CountUsed(frequencies, single) < 2;
  TSmallCode code;
  code.lengths.assign(frequencies.size(), 0);
  if (!isSingle) code.lengths = BuildCodeLengths(frequencies, kMaxCodeLength);
  code.codes = CanonicalCodes(code.lengths);
  return code;
}

void PutSmallCode(TBitWriter& out, const TSmallCode& code, bool isSingle, uint32_t single,
                  int countBits, int special) {
  if (isSingle) {
    out.Put(countBits, 0);
    out.Put(countBits, single);
    return;
  }
  const size_t n = UsedLength(code.lengths);
  out.Put(countBits, static_cast<uint32_t>(n));
  size_t i = 0;
  while (i < n) {
    PutLength(out, code.lengths[i++]);
    if (static_cast<int>(i) == special) {
      size_t zeros = 0;
      while (zeros < 3 && i + zeros < n && code.lengths[i + zeros] == 0) ++zeros;
      out.Put(kSpecialZeroBits, static_cast<uint32_t>(zeros));
      i += zeros;
    }
  }
}

// The literal/length lengths as pre-code symbols with their extra bits.
struct TPreToken {
  uint8_t symbol;
  uint16_t extra;
};

std::vector<TPreToken> PreTokens(const std::vector<uint8_t>& lengths) {
  std::vector<TPreToken> tokens;
  const size_t n = UsedLength(lengths);
  for (size_t i = 0; i < n;) {
    if (lengths[i] != 0) {
      tokens.push_back({static_cast<uint8_t>(lengths[i] + kPreCodeLengthBias), 0});
      ++i;
      continue;
    }
    size_t run = 0;
    while (i + run < n && lengths[i + run] == 0) ++run;
    i += run;
    if (run < kZeroRunShortBase) {
      for (size_t k = 0; k < run; ++k) tokens.push_back({kZeroRunOne, 0});
    } else if (run < kZeroRunShortBase + (1u << kZeroRunShortBits)) {
      tokens.push_back({kZeroRunShort, static_cast<uint16_t>(run - kZeroRunShortBase)});
    } else if (run < kZeroRunLongBase) {
      // 19 zeros: one single zero, then the longest short run.
      tokens.push_back({kZeroRunOne, 0});
      tokens.push_back({kZeroRunShort, static_cast<uint16_t>(run - 1 - kZeroRunShortBase)});
    } else {
      tokens.push_back({kZeroRunLong, static_cast<uint16_t>(run - kZeroRunLongBase)});
    }
  }
  return tokens;
}

void PutBlock(TBitWriter& out, const std::vector<TToken>& tokens) {
  std::vector<uint32_t> codeFreq(kCodeCount, 0);
  std::vector<uint32_t> posFreq(kPositionCount, 0);
  for (const auto& t : tokens) {
    ++codeFreq[t.symbol];
    if (t.symbol >= kLiteralCount) ++posFreq[std::bit_width(static_cast<uint32_t>(t.distance))];
  }
  out.Put(kBlockCountBits, static_cast<uint32_t>(tokens.size()) & (kMaxBlockSymbols - 1));

  uint32_t codeSingle = 0;
  bool codeIsSingle = false;
  const TSmallCode code = MakeCode(codeFreq, codeSingle, codeIsSingle);
  if (codeIsSingle) {
    out.Put(kPreCodeCountBits, 0);
    out.Put(kPreCodeCountBits, 0);
    out.Put(kCodeCountBits, 0);
    out.Put(kCodeCountBits, codeSingle);
  } else {
    const auto preTokens = PreTokens(code.lengths);
    std::vector<uint32_t> preFreq(kPreCodeCount, 0);
    for (const auto& t : preTokens) ++preFreq[t.symbol];
    uint32_t preSingle = 0;
    bool preIsSingle = false;
    const TSmallCode pre = MakeCode(preFreq, preSingle, preIsSingle);
    PutSmallCode(out, pre, preIsSingle, preSingle, kPreCodeCountBits, kPreCodeSpecial);
    out.Put(kCodeCountBits, static_cast<uint32_t>(UsedLength(code.lengths)));
    for (const auto& t : preTokens) {
      out.Put(pre.lengths[t.symbol], pre.codes[t.symbol]);
      if (t.symbol == kZeroRunShort) out.Put(kZeroRunShortBits, t.extra);
      if (t.symbol == kZeroRunLong) out.Put(kZeroRunLongBits, t.extra);
    }
  }

  uint32_t posSingle = 0;
  bool posIsSingle = false;
  const TSmallCode pos = MakeCode(posFreq, posSingle, posIsSingle);
  PutSmallCode(out, pos, posIsSingle, posSingle, kPositionCountBits, kNoSpecial);

  for (const auto& t : tokens) {
    out.Put(code.lengths[t.symbol], code.codes[t.symbol]);
    if (t.symbol < kLiteralCount) continue;
    const uint32_t p = t.distance;
    const auto j = static_cast<uint32_t>(std::bit_width(p));
    out.Put(pos.lengths[j], pos.codes[j]);
    if (j > 1) out.Put(static_cast<int>(j) - 1, p - (1u << (j - 1)));
  }
}

}  // namespace

std::vector<uint8_t> EncodeLh5(std::span<const uint8_t> data, const TLh5EncodeOptions& options) {
  if (options.blockSymbols < 1 || options.blockSymbols > kMaxBlockSymbols) {
    throw Exception("Block size out of range");
  }
  if (data.size() > static_cast<size_t>(INT32_MAX)) throw Exception("Data too large to compress");
  TBitWriter out;
  TMatchFinder finder(data, std::max(1, options.maxChain));
  std::vector<TToken> block;
  block.reserve(options.blockSymbols);
  auto emit = [&](TToken token) {
    block.push_back(token);
    if (block.size() == options.blockSymbols) {
      PutBlock(out, block);
      block.clear();
    }
  };

  const auto size = static_cast<uint32_t>(data.size());
  uint32_t pos = 0;
  TMatch current = finder.Find(pos);
  while (pos < size) {
    finder.Insert(pos);
    if (current.length < kMinMatch) {
      emit({data[pos], 0});
      current = finder.Find(++pos);
      continue;
    }
    if (options.lazy && current.length < options.goodEnough) {
      const TMatch next = finder.Find(pos + 1);
      if (next.length > current.length) {
        emit({data[pos], 0});
        ++pos;
        current = next;
        continue;
      }
    }
    emit({static_cast<uint16_t>(current.length + kMatchSymbolBias),
          static_cast<uint16_t>(current.distance - 1)});
    for (uint32_t k = 1; k < current.length; ++k) finder.Insert(pos + k);
    pos += current.length;
    current = finder.Find(pos);
  }
  if (!block.empty()) PutBlock(out, block);
  return out.Finish();
}

}  // namespace tazu
