#include "archive/Blowfish.h"

#include <algorithm>
#include <utility>

#include "archive/BlowfishTables.h"
#include "base/Exceptions.h"

namespace tazu {

namespace {
constexpr int kByteBits = 8;
constexpr uint32_t kByteMask = 0xFF;
}  // namespace

TBlowfish::TBlowfish(std::string_view key) {
  if (key.empty()) throw Exception("Blowfish key is empty");
  if (key.size() > kMaxKeyBytes) key = key.substr(0, kMaxKeyBytes);

  p_ = blowfish::kInitialP;
  s_ = {blowfish::kInitialS0, blowfish::kInitialS1, blowfish::kInitialS2, blowfish::kInitialS3};

  // Each P word takes the next four key bytes, most significant first, cycling.
  size_t k = 0;
  for (auto& word : p_) {
    uint32_t mixed = 0;
    for (int b = 0; b < 4; ++b) {
      mixed = (mixed << kByteBits) | static_cast<uint8_t>(key[k]);
      k = (k + 1) % key.size();
    }
    word ^= mixed;
  }

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

uint32_t LoadLittleEndian32(const uint8_t* p) {
  uint32_t value = 0;
  for (int i = kCipherHalfBytes - 1; i >= 0; --i) value = (value << kByteBits) | p[i];
  return value;
}

void StoreLittleEndian32(uint8_t* p, uint32_t value) {
  for (int i = 0; i < kCipherHalfBytes; ++i, value >>= kByteBits)
    p[i] = static_cast<uint8_t>(value);
}

}  // namespace tazu
