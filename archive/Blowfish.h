// The Blowfish block cipher (16 rounds, standard key schedule) on pairs of 32-bit
// words. The archive's decipher routine and the archive writer work on it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace tazu {

// The cipher works on 8-byte blocks whose two halves are little-endian 32-bit words.
constexpr int64_t kCipherBlockBytes = 8;

class TBlowfish {
 public:
  static constexpr int kRounds = 16;
  static constexpr int kSBoxEntries = 256;
  static constexpr int kSBoxes = 4;
  // Longest key the schedule takes; longer keys use their first bytes only.
  static constexpr size_t kMaxKeyBytes = 255;

  // Keys the cipher with 1 to kMaxKeyBytes bytes of `key`; an empty key raises
  // tazu::Exception because it cannot key the cipher.
  explicit TBlowfish(std::string_view key);

  void Encipher(uint32_t& left, uint32_t& right) const;
  void Decipher(uint32_t& left, uint32_t& right) const;
  // Enciphers or deciphers the whole blocks of `data` in place; a shorter tail is left.
  void CipherBlocks(std::span<uint8_t> data, bool decipher) const;

  // True when any S-box holds two equal entries (a weak key).
  bool HasDuplicateSBoxEntry() const;

 private:
  uint32_t F(uint32_t x) const;

  std::array<uint32_t, kRounds + 2> p_;
  std::array<std::array<uint32_t, kSBoxEntries>, kSBoxes> s_;
};

}  // namespace tazu
