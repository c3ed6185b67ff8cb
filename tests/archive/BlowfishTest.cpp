// The cipher against published Blowfish test vectors, and DecryptStream's block
// layout, tail, pad count, weak-key refusal and round trips with EncryptStream.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "archive/Blowfish.h"
#include "archive/StreamRoutines.h"
#include "archive/StreamWriteRoutines.h"
#include "tests/archive/SampleData.h"

namespace tazu {
namespace {

std::string FromHex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

uint32_t BigEndianWord(const std::string& hex, size_t word) {
  return static_cast<uint32_t>(std::stoul(hex.substr(word * 8, 8), nullptr, 16));
}

struct Vector {
  const char* key;
  const char* plain;
  const char* cipher;
};

// Eric Young's published vectors (64-bit halves read big-endian), and the
// variable key-length set for plaintext FEDCBA9876543210.
constexpr Vector kVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"F0", "FEDCBA9876543210", "F9AD597C49DB005E"},
    {"F0E1", "FEDCBA9876543210", "E91D21C1D961A6D6"},
    {"F0E1D2C3", "FEDCBA9876543210", "BE1E639408640F05"},
    {"F0E1D2C3B4A5968778695A4B3C2D1E0F", "FEDCBA9876543210", "93142887EE3BE15C"},
};

// A key whose schedule leaves two equal entries in one S-box.
constexpr const char* kWeakKey = "weak50582";

TEST(BlowfishVectors, EnciphersAndDeciphersPublishedVectors) {
  for (const auto& v : kVectors) {
    const TBlowfish cipher(FromHex(v.key));
    uint32_t left = BigEndianWord(v.plain, 0);
    uint32_t right = BigEndianWord(v.plain, 1);
    cipher.Encipher(left, right);
    EXPECT_EQ(left, BigEndianWord(v.cipher, 0)) << v.key;
    EXPECT_EQ(right, BigEndianWord(v.cipher, 1)) << v.key;
    cipher.Decipher(left, right);
    EXPECT_EQ(left, BigEndianWord(v.plain, 0)) << v.key;
    EXPECT_EQ(right, BigEndianWord(v.plain, 1)) << v.key;
  }
}

TEST(BlowfishVectors, EmptyKeyCannotKeyTheCipher) { EXPECT_THROW(TBlowfish(""), Exception); }

TEST(BlowfishVectors, OnlyTheFirst255KeyBytesCount) {
  const std::string key255(255, 'k');
  EXPECT_FALSE(TBlowfish(key255).HasDuplicateSBoxEntry());
  uint32_t a = 1, b = 2, c = 1, d = 2;
  TBlowfish(key255).Encipher(a, b);
  TBlowfish(key255 + "extra").Encipher(c, d);
  EXPECT_EQ(std::make_pair(a, b), std::make_pair(c, d));
}

TEST(BlowfishVectors, WeakKeyHasDuplicateSBoxEntries) {
  EXPECT_TRUE(TBlowfish(kWeakKey).HasDuplicateSBoxEntry());
  EXPECT_FALSE(TBlowfish("weak50581").HasDuplicateSBoxEntry());
}

TMemoryStream StreamOf(const std::string& bytes) {
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  s.SetPosition(0);
  return s;
}

std::string Contents(const TMemoryStream& s) { return {s.Bytes().begin(), s.Bytes().end()}; }

// The ciphertext of a vector laid out as the archive stores it: each half
// little-endian.
std::string LittleEndianBlock(const char* hex) {
  const std::string be = FromHex(hex);
  return std::string{be[3], be[2], be[1], be[0], be[7], be[6], be[5], be[4]};
}

TEST(DecryptStream, HalvesAreLittleEndianAndTheLastByteIsThePadCount) {
  // All-zero key and plaintext: the pad count is 0, so one byte goes.
  TMemoryStream s = StreamOf(LittleEndianBlock("4EF997456198DD78"));
  DecryptStream(s, std::string(8, '\0'));
  EXPECT_EQ(Contents(s), std::string(7, '\0'));
}

TEST(DecryptStream, BlocksAreDecipheredEachOnItsOwn) {
  const std::string block = LittleEndianBlock("4EF997456198DD78");
  TMemoryStream s = StreamOf(block + block);
  DecryptStream(s, std::string(8, '\0'));
  EXPECT_EQ(Contents(s), std::string(15, '\0'));
}

TEST(DecryptStream, ShortTailIsLeftAloneAndItsLastByteIsThePad) {
  TMemoryStream s = StreamOf(LittleEndianBlock("4EF997456198DD78") + std::string("xy\x02", 3));
  DecryptStream(s, std::string(8, '\0'));
  EXPECT_EQ(Contents(s), std::string(8, '\0'));
}

TEST(DecryptStream, PadCountLargerThanTheStreamIsCorrupt) {
  // This vector's plaintext ends in 0x89 once laid out little-endian.
  TMemoryStream s = StreamOf(LittleEndianBlock("0ACEAB0FC6A0A28D"));
  EXPECT_THROW(DecryptStream(s, FromHex("FEDCBA9876543210")), ECorruptFile);
  TMemoryStream shortOne = StreamOf("ab\x05");
  EXPECT_THROW(DecryptStream(shortOne, "key"), ECorruptFile);
}

TEST(DecryptStream, EmptyStreamIsLeftAloneEvenWithoutKey) {
  TMemoryStream s;
  EXPECT_NO_THROW(DecryptStream(s, ""));
  EXPECT_EQ(s.Size(), 0);
}

TEST(DecryptStream, EmptyKeyRaisesForData) {
  TMemoryStream s = StreamOf("0123456789abcdef");
  EXPECT_ANY_THROW(DecryptStream(s, ""));
}

TEST(DecryptStream, WeakKeyLeavesTheStreamAsRead) {
  const std::string bytes = "0123456789abcdef\x03";
  TMemoryStream s = StreamOf(bytes);
  DecryptStream(s, kWeakKey);
  EXPECT_EQ(Contents(s), bytes);
}

TEST(EncryptStream, RoundTripsEverySizeAroundTheBlock) {
  for (size_t size = 0; size <= 33; ++size) {
    const auto data = test::RandomBytes(size, static_cast<uint32_t>(size));
    const std::string plain(data.begin(), data.end());
    TMemoryStream s = StreamOf(plain);
    EncryptStream(s, "frame key");
    EXPECT_EQ(s.Size() % 8, 0);
    if (size >= 8) {
      EXPECT_NE(Contents(s).substr(0, plain.size()), plain);
    }
    DecryptStream(s, "frame key");
    EXPECT_EQ(Contents(s), plain) << size;
  }
}

TEST(EncryptStream, RefusesKeysTheReaderWouldRefuse) {
  TMemoryStream s = StreamOf("data");
  EXPECT_THROW(EncryptStream(s, kWeakKey), Exception);
  EXPECT_THROW(EncryptStream(s, ""), Exception);
}

}  // namespace
}  // namespace tazu
