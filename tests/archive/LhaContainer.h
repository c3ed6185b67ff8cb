// Just enough of the LHA archive container for the peer tests: reading the
// members of an archive made by another tool, and wrapping one of our lh5
// streams in a level 0, 1 or 2 header for another tool to extract.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tazu::test {

struct LhaMember {
  std::string method;  // "-lh5-", "-lh0-", ...
  std::string name;
  uint32_t originalSize = 0;
  std::vector<uint8_t> packed;  // the member's compressed data
};

// The members of an LHA archive of header level 0, 1 or 2. Raises
// std::runtime_error for a header it cannot follow.
std::vector<LhaMember> ReadLhaMembers(const std::vector<uint8_t>& archive);

// CRC-16 as LHA computes it (polynomial 0xA001, reflected, starting at 0).
uint16_t LhaCrc16(const std::vector<uint8_t>& data);

// An archive of one -lh5- member with the given header level.
std::vector<uint8_t> WrapInLhaArchive(int level, const std::string& name,
                                      const std::vector<uint8_t>& lh5Stream,
                                      const std::vector<uint8_t>& original);

}  // namespace tazu::test
