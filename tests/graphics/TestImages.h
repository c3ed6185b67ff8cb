// Pictures and crafted files shared by the graphics tests.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Pixels.h"

namespace tazu::test {

// A picture with smooth gradients and a few hard edges, opaque.
inline Bitmap32 MakeDetailedImage(int width, int height) {
  Bitmap32 image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const auto r = static_cast<uint8_t>(x * 255 / std::max(1, width - 1));
      const auto g = static_cast<uint8_t>(y * 255 / std::max(1, height - 1));
      const auto b = static_cast<uint8_t>(((x / 16 + y / 16) % 2) ? 200 : 40);
      image.SetPixel(x, y, MakePixel(r, g, b));
    }
  }
  return image;
}

// Builds PNG files chunk by chunk, so that tests can make any colour type,
// interlacing, broken CRC or absurd header the encoder would never write.
class PngBuilder {
 public:
  PngBuilder() { bytes_ = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}; }

  PngBuilder& Header(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType,
                     uint8_t interlace = 0) {
    std::vector<uint8_t> data;
    Put32(data, width);
    Put32(data, height);
    data.insert(data.end(), {depth, colorType, 0, 0, interlace});
    return Chunk("IHDR", data);
  }
  // Raw (already filtered) scanline bytes, compressed into one IDAT.
  PngBuilder& Data(const std::vector<uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(size);
    compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(size);
    return Chunk("IDAT", packed);
  }
  PngBuilder& Chunk(const std::string& type, const std::vector<uint8_t>& data) {
    Put32(bytes_, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type.begin(), type.end());
    body.insert(body.end(), data.begin(), data.end());
    bytes_.insert(bytes_.end(), body.begin(), body.end());
    Put32(bytes_, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
    return *this;
  }
  PngBuilder& End() { return Chunk("IEND", {}); }
  std::vector<uint8_t> Bytes() const { return bytes_; }

 private:
  static void Put32(std::vector<uint8_t>& out, uint32_t v) {
    out.insert(out.end(), {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
                           static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)});
  }
  std::vector<uint8_t> bytes_;
};

}  // namespace tazu::test
