#include "archive/HuffmanLengths.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <utility>

#include "base/Exceptions.h"

namespace tazu {

namespace {

constexpr int kMaxSupportedLength = 16;

// Plain Huffman depths; symbols with frequency 0 stay at depth 0.
std::vector<uint8_t> HuffmanDepths(const std::vector<uint32_t>& frequencies) {
  const size_t n = frequencies.size();
  std::vector<int> parent(2 * n, -1);
  using Item = std::pair<uint64_t, int>;  // weight, node
  std::priority_queue<Item, std::vector<Item>, std::greater<Item>> heap;
  for (size_t s = 0; s < n; ++s) {
    if (frequencies[s] > 0) heap.push({frequencies[s], static_cast<int>(s)});
  }
  int next = static_cast<int>(n);
  while (heap.size() > 1) {
    const Item a = heap.top();
    heap.pop();
    const Item b = heap.top();
    heap.pop();
    parent[a.second] = parent[b.second] = next;
    heap.push({a.first + b.first, next++});
  }
  std::vector<uint8_t> depths(n, 0);
  for (size_t s = 0; s < n; ++s) {
    if (frequencies[s] == 0) continue;
    int depth = 0;
    for (int node = static_cast<int>(s); parent[node] >= 0; node = parent[node]) ++depth;
    depths[s] = static_cast<uint8_t>(std::min(depth, 255));
  }
  return depths;
}

}  // namespace

std::vector<uint8_t> BuildCodeLengths(const std::vector<uint32_t>& frequencies, int maxLength) {
  if (maxLength < 1 || maxLength > kMaxSupportedLength) throw Exception("Bad code length limit");
  const auto used =
      std::count_if(frequencies.begin(), frequencies.end(), [](uint32_t f) { return f > 0; });
  if (used < 2 || static_cast<uint64_t>(used) > (uint64_t{1} << maxLength)) {
    throw Exception("Code needs between two and 2^maxLength symbols");
  }
  // Flattening the frequencies until the tree fits: rare symbols move up towards
  // the common ones, and equal weights always fit.
  std::vector<uint32_t> weights = frequencies;
  for (;;) {
    auto depths = HuffmanDepths(weights);
    if (*std::max_element(depths.begin(), depths.end()) <= maxLength) return depths;
    for (auto& w : weights) {
      if (w > 0) w = (w + 1) / 2;
    }
  }
}

std::vector<uint16_t> CanonicalCodes(const std::vector<uint8_t>& lengths) {
  std::vector<uint32_t> count(kMaxSupportedLength + 1, 0);
  for (uint8_t length : lengths) {
    if (length > kMaxSupportedLength) throw Exception("Code length out of range");
    if (length > 0) ++count[length];
  }
  std::vector<uint32_t> next(kMaxSupportedLength + 2, 0);
  for (int k = 1; k <= kMaxSupportedLength; ++k) next[k + 1] = (next[k] + count[k]) << 1;
  std::vector<uint16_t> codes(lengths.size(), 0);
  for (size_t s = 0; s < lengths.size(); ++s) {
    if (lengths[s] > 0) codes[s] = static_cast<uint16_t>(next[lengths[s]]++);
  }
  return codes;
}

}  // namespace tazu
