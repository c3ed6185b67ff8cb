#include "tests/archive/SampleData.h"

#include <algorithm>
#include <array>
#include <random>
#include <string_view>

namespace tazu::test {

namespace {

constexpr std::array<std::string_view, 24> kWords = {
    "the",    "learner", "reads",  "a",      "picture", "of",     "cat",  "and",
    "dog",    "menu",    "number", "spells", "memory",  "thinks", "word", "sound",
    "bright", "window",  "frame",  "intro",  "button",  "plays",  "with", "colour"};

void Append(std::vector<uint8_t>& out, std::string_view s) {
  out.insert(out.end(), s.begin(), s.end());
}

void AppendSegment(std::vector<uint8_t>& out, uint8_t marker, size_t length, uint8_t fill) {
  out.push_back(0xFF);
  out.push_back(marker);
  out.push_back(static_cast<uint8_t>((length + 2) >> 8));
  out.push_back(static_cast<uint8_t>(length + 2));
  for (size_t i = 0; i < length; ++i) out.push_back(static_cast<uint8_t>(fill + i * 7));
}

}  // namespace

std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> out(size);
  for (auto& b : out) b = static_cast<uint8_t>(rng());
  return out;
}

std::vector<uint8_t> TextBytes(size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> out;
  out.reserve(size + 16);
  while (out.size() < size) {
    Append(out, kWords[rng() % kWords.size()]);
    const uint32_t r = rng() % 16;
    Append(out, r == 0 ? ".\n" : r == 1 ? ", " : " ");
  }
  out.resize(size);
  return out;
}

std::vector<uint8_t> RunBytes(size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> out;
  out.reserve(size + 300);
  while (out.size() < size) out.insert(out.end(), 1 + rng() % 300, static_cast<uint8_t>(rng()));
  out.resize(size);
  return out;
}

std::vector<uint8_t> JpegLikeFrame(size_t approximateSize, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> out = {0xFF, 0xD8};
  AppendSegment(out, 0xE0, 14, 0x4A);   // JFIF
  AppendSegment(out, 0xDB, 130, 0x10);  // quantisation tables
  AppendSegment(out, 0xC0, 15, 0x08);   // frame header
  AppendSegment(out, 0xC4, 416, 0x01);  // Huffman tables
  AppendSegment(out, 0xDA, 10, 0x03);   // scan header
  // Scan data: small values are common, as in entropy-coded coefficients.
  std::geometric_distribution<int> small(0.08);
  while (out.size() + 2 < approximateSize) {
    const uint32_t r = rng();
    const uint8_t b = (r & 3) == 0 ? static_cast<uint8_t>(std::min(small(rng), 255))
                                   : static_cast<uint8_t>(r >> 8);
    out.push_back(b);
    if (b == 0xFF) out.push_back(0x00);
  }
  out.push_back(0xFF);
  out.push_back(0xD9);
  return out;
}

std::vector<uint8_t> MixedBytes(size_t size, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> out;
  out.reserve(size + 70000);
  while (out.size() < size) {
    const size_t piece = 1000 + rng() % 60000;
    std::vector<uint8_t> part;
    switch (rng() % 4) {
      case 0:
        part = TextBytes(piece, rng());
        break;
      case 1:
        part = RunBytes(piece, rng());
        break;
      case 2:
        for (size_t i = 0; i < piece / 4; ++i) {
          const uint32_t v = static_cast<uint32_t>(i * 3 + rng() % 5);
          for (int k = 0; k < 4; ++k) part.push_back(static_cast<uint8_t>(v >> (8 * k)));
        }
        break;
      default:
        part = RandomBytes(piece, rng());
        break;
    }
    out.insert(out.end(), part.begin(), part.end());
  }
  out.resize(size);
  return out;
}

}  // namespace tazu::test
