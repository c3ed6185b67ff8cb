// A bounds-checked reader over bytes held in memory, for the binary file formats. A
// read that does not fit what remains gives zero (or nothing), moves nothing and leaves
// the reader failed: every later read fails too, so a fixed layout is read field by
// field and checked once with Ok().
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tazu {

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  explicit ByteReader(std::string_view text)
      : bytes_(reinterpret_cast<const uint8_t*>(text.data()), text.size()) {}

  bool Ok() const { return ok_; }
  size_t Left() const { return bytes_.size() - pos_; }

  // The next `n` bytes; an empty run when fewer remain.
  std::span<const uint8_t> Bytes(size_t n) {
    if (!ok_ || n > Left()) {
      ok_ = false;
      return {};
    }
    pos_ += n;
    return bytes_.subspan(pos_ - n, n);
  }
  bool Skip(size_t n) {
    Bytes(n);
    return ok_;
  }
  std::string_view Text(size_t n) {
    const auto b = Bytes(n);
    return {reinterpret_cast<const char*>(b.data()), b.size()};
  }
  // Whether the next bytes are `tag`; they are read either way.
  bool Tag(std::string_view tag) { return Text(tag.size()) == tag && ok_; }

  uint8_t U8() { return static_cast<uint8_t>(Number(1, false)); }
  uint16_t U16Le() { return static_cast<uint16_t>(Number(2, false)); }
  uint16_t U16Be() { return static_cast<uint16_t>(Number(2, true)); }
  uint32_t U32Le() { return Number(4, false); }
  uint32_t U32Be() { return Number(4, true); }
  uint32_t U24Be() { return Number(3, true); }

  // A length byte, then that many characters; nothing when the length is above `capacity`.
  std::optional<std::string_view> ShortString(size_t capacity) {
    const size_t length = U8();
    if (length > capacity) return std::nullopt;
    const std::string_view text = Text(length);
    return ok_ ? std::optional(text) : std::nullopt;
  }

  // A MIDI variable-length number: 7 bits a byte, the high bit set on all but the last.
  uint32_t VarLen() {
    uint32_t value = 0;
    for (int i = 0; i < kMaxVarLenBytes; ++i) {
      const uint8_t b = U8();
      value = (value << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) return ok_ ? value : 0;
    }
    ok_ = false;  // longer than the format allows
    return 0;
  }

 private:
  static constexpr int kMaxVarLenBytes = 4;

  uint32_t Number(size_t n, bool bigEndian) {
    const auto b = Bytes(n);
    uint32_t value = 0;
    for (size_t i = 0; i < b.size(); ++i)
      value = (value << 8) | b[bigEndian ? i : b.size() - 1 - i];
    return value;
  }

  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
  bool ok_ = true;
};

// The writing direction of ByteReader's little-endian numbers, `bytes` long.
inline void PutLittleEndian(uint8_t* out, uint32_t value, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i, value >>= 8) out[i] = static_cast<uint8_t>(value);
}

}  // namespace tazu
