// Reproducible sample data for the archive tests and benchmarks: random bytes,
// text, runs, JPEG-like frames and a mixture of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tazu::test {

std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed);
// Words from a small vocabulary with spaces, punctuation and line breaks.
std::vector<uint8_t> TextBytes(size_t size, uint32_t seed);
// Runs of one byte with random lengths (1..300), some longer than a match.
std::vector<uint8_t> RunBytes(size_t size, uint32_t seed);
// A baseline-JPEG-shaped file: fixed markers and tables, then skewed, mostly
// incompressible scan data with byte stuffing, then the end marker.
std::vector<uint8_t> JpegLikeFrame(size_t approximateSize, uint32_t seed);
// Text, runs, little-endian tables and random bytes interleaved.
std::vector<uint8_t> MixedBytes(size_t size, uint32_t seed);

}  // namespace tazu::test
