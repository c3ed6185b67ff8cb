#include "archive/Blowfish.h"

#include <algorithm>
#include <string>
#include <utility>

#include "archive/BlowfishTables.h"
#include "base/ByteReader.h"
#include "base/Exceptions.h"

namespace tazu {

namespace {
constexpr uint32_t kByteMask = 0xFF;
}  // namespace

TBlowfish::TBlowfish(std::string_view key) {
  if (key.empty()) throw Exception("Blowfish key is empty");
  if (key.size() > kMaxKeyBytes) key = key.substr(0, kMaxKeyBytes);

  p_ = blowfish::kInitialP;
  s_ = {blowfish::kInitialS0, blowfish::kInitialS1, blowfish::kInitialS2, blowfish::kInitialS3};

  // Each P word takes the next four key bytes, most significant first, cycling.
  std::string cycled;
  while (cycled.size() < sizeof p_) cycled += key;
  ByteReader keyBytes(cycled);
  for (auto& word : p_) word ^= keyBytes.U32Be();

  uint32_t left = 0;
  uint32_t right = 0;
  for (size_t i = 0; i < p_.size(); i += 2) {
    Encipher(left, right);
    p_[i] = left;
    p_[i + 1] = right;
  }
  for (auto& box : s_) {
    for (size_t i = 0; i < box.size(); i += 2) {
      Encipher(left, right);
      box[i] = left;
      box[i + 1] = right;
    }
  }
}

uint32_t TBlowfish::F(uint32_t x) const {
  const uint32_t a = s_[0][(x >> 24) & kByteMask];
  const uint32_t b = s_[1][(x >> 16) & kByteMask];
  const uint32_t c = s_[2][(x >> 8) & kByteMask];
  const uint32_t d = s_[3][x & kByteMask];
  return ((a + b) ^ c) + d;
}

void TBlowfish::Encipher(uint32_t& left, uint32_t& right) const {
  uint32_t l = left;
  uint32_t r = right;
  for (int i = 0; i < kRounds; ++i) {
    l ^= p_[i];
    r ^= F(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= p_[kRounds];
  l ^= p_[kRounds + 1];
  left = l;
  right = r;
}

void TBlowfish::Decipher(uint32_t& left, uint32_t& right) const {
  uint32_t l = left;
  uint32_t r = right;
  for (int i = kRounds + 1; i > 1; --i) {
    l ^= p_[i];
    r ^= F(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= p_[1];
  l ^= p_[0];
  left = l;
  right = r;
}

bool TBlowfish::HasDuplicateSBoxEntry() const {
  for (const auto& box : s_) {
    auto sorted = box;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return true;
  }
  return false;
}

void TBlowfish::CipherBlocks(std::span<uint8_t> data, bool decipher) const {
  constexpr auto kBlockBytes = static_cast<size_t>(kCipherBlockBytes);
  constexpr size_t kHalfBytes = kBlockBytes / 2;
  ByteReader r(data);
  for (uint8_t* block = data.data(); r.Left() >= kBlockBytes; block += kBlockBytes) {
    uint32_t left = r.U32Le();
    uint32_t right = r.U32Le();
    decipher ? Decipher(left, right) : Encipher(left, right);
    PutLittleEndian(block, left, kHalfBytes);
    PutLittleEndian(block + kHalfBytes, right, kHalfBytes);
  }
}

}  // namespace tazu
