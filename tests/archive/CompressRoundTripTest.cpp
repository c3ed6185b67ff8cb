// The lh5 compressor: round trips through DecompressStream over varied data at
// sizes around the window and block boundaries, real matches and Huffman codes,
// and the code-length limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/HuffmanLengths.h"
#include "archive/StreamRoutines.h"
#include "archive/StreamWriteRoutines.h"
#include "tests/archive/SampleData.h"

namespace tazu {
namespace {

std::vector<uint8_t> Compress(const std::vector<uint8_t>& data,
                              const TLh5EncodeOptions& options = {}) {
  TMemoryStream source;
  source.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  source.SetPosition(0);
  TMemoryStream dest;
  CompressStream(source, dest, options);
  return dest.Bytes();
}

std::vector<uint8_t> Expand(const std::vector<uint8_t>& payload) {
  TMemoryStream source;
  source.WriteBuffer(payload.data(), static_cast<int64_t>(payload.size()));
  source.SetPosition(0);
  TMemoryStream dest;
  DecompressStream(source, dest);
  return dest.Bytes();
}

void ExpectRoundTrip(const std::vector<uint8_t>& data, const TLh5EncodeOptions& options = {}) {
  const auto payload = Compress(data, options);
  ASSERT_GE(payload.size(), 4u);
  const auto back = Expand(payload);
  ASSERT_EQ(back.size(), data.size());
  EXPECT_TRUE(back == data) << "size " << data.size();
}

std::vector<uint8_t> JpegLikeFrames(size_t count, size_t frameSize) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < count; ++i) {
    const auto frame = test::JpegLikeFrame(frameSize, static_cast<uint32_t>(i + 1));
    out.insert(out.end(), frame.begin(), frame.end());
  }
  return out;
}

constexpr size_t kBoundarySizes[] = {8191, 8192, 8193, 16383, 16384, 16385, 65535, 65537};

TEST(CompressRoundTrip, EmptyAndOneByte) {
  EXPECT_EQ(Compress({}).size(), 4u);  // only the expanded size
  ExpectRoundTrip({});
  ExpectRoundTrip({0x00});
  ExpectRoundTrip({0xFF});
}

TEST(CompressRoundTrip, VariedDataAtWindowAndChunkBoundaries) {
  for (size_t size : kBoundarySizes) {
    ExpectRoundTrip(test::RandomBytes(size, 7));
    ExpectRoundTrip(test::TextBytes(size, 8));
    ExpectRoundTrip(test::RunBytes(size, 9));
    ExpectRoundTrip(test::MixedBytes(size, 10));
    ExpectRoundTrip(std::vector<uint8_t>(size, 'r'));
  }
}

TEST(CompressRoundTrip, JpegLikeFrames) {
  ExpectRoundTrip(test::JpegLikeFrame(20000, 1));
  ExpectRoundTrip(JpegLikeFrames(6, 9000));
}

TEST(CompressRoundTrip, SmallBlocksAndShortChains) {
  const auto text = test::TextBytes(30000, 11);
  for (uint32_t block : {1u, 2u, 7u, 300u, 65536u}) {
    TLh5EncodeOptions options;
    options.blockSymbols = block;
    ExpectRoundTrip(text, options);
  }
  TLh5EncodeOptions greedy;
  greedy.lazy = false;
  greedy.maxChain = 1;
  ExpectRoundTrip(test::MixedBytes(100000, 12), greedy);
}

TEST(CompressRoundTrip, ManyBlocksOfMixedData) { ExpectRoundTrip(test::MixedBytes(1 << 20, 13)); }

TEST(CompressRatio, TextAndRunsShrinkThroughMatchesAndCodes) {
  const auto text = test::TextBytes(100000, 14);
  EXPECT_LT(Compress(text).size(), text.size() * 35 / 100);
  const std::vector<uint8_t> run(100000, 'z');
  // Each 256-byte match costs a few bits at most.
  EXPECT_LT(Compress(run).size(), 300u);
}

TEST(CompressRatio, FindsMatchesAsFarBackAsTheWholeWindow) {
  auto data = test::RandomBytes(8192, 15);
  data.insert(data.end(), data.begin(), data.begin() + 8192);  // distance exactly 8192
  const auto size = Compress(data).size();
  EXPECT_LT(size, 8192u + 8192u / 10);
  ExpectRoundTrip(data);
}

TEST(CompressRatio, RandomDataGrowsOnlySlightly) {
  const auto data = test::RandomBytes(50000, 16);
  EXPECT_LT(Compress(data).size(), data.size() + data.size() / 50);
}

// ---- code lengths ----

uint64_t KraftTotal(const std::vector<uint8_t>& lengths) {
  uint64_t total = 0;
  for (uint8_t l : lengths) {
    if (l > 0) total += uint64_t{1} << (16 - l);
  }
  return total;
}

TEST(HuffmanLengths, SkewedFrequenciesStayWithinTheLimitAndComplete) {
  std::vector<uint32_t> fib(40);
  fib[0] = fib[1] = 1;
  for (size_t i = 2; i < fib.size(); ++i) fib[i] = fib[i - 1] + fib[i - 2];
  const auto lengths = BuildCodeLengths(fib, 16);
  EXPECT_EQ(*std::max_element(lengths.begin(), lengths.end()), 16);
  EXPECT_EQ(KraftTotal(lengths), uint64_t{1} << 16);
}

TEST(HuffmanLengths, UnusedSymbolsGetNoCodeAndCodesArePrefixFree) {
  const std::vector<uint32_t> freq = {5, 0, 1, 1, 0, 9, 2};
  const auto lengths = BuildCodeLengths(freq, 16);
  EXPECT_EQ(lengths[1], 0);
  EXPECT_EQ(lengths[4], 0);
  EXPECT_EQ(KraftTotal(lengths), uint64_t{1} << 16);
  const auto codes = CanonicalCodes(lengths);
  for (size_t a = 0; a < freq.size(); ++a) {
    for (size_t b = 0; b < freq.size(); ++b) {
      if (a == b || lengths[a] == 0 || lengths[b] == 0 || lengths[a] > lengths[b]) continue;
      EXPECT_NE(codes[b] >> (lengths[b] - lengths[a]), codes[a]) << a << " prefixes " << b;
    }
  }
}

TEST(HuffmanLengths, FewerThanTwoSymbolsIsRefused) {
  EXPECT_THROW(BuildCodeLengths({0, 3, 0}, 16), Exception);
}

}  // namespace
}  // namespace tazu
