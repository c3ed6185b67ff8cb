// Helpers for the roster tests: an environment the test chooses, and roster bytes
// built straight from the documented layout (independently of LearnerRecord).
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/ProcessRoster.h"

namespace tazu::test {

class FakeRosterEnvironment : public RosterEnvironment {
 public:
  std::vector<std::string> block;
  std::string systemFolder;
  std::string currentFolder;

  std::vector<std::string> EnvironmentBlock() const override { return block; }
  std::string SystemFolder() const override { return systemFolder; }
  std::string CurrentFolder() const override { return currentFolder; }
  std::shared_ptr<RosterStorage> Storage() const override { return ProcessRosterStorage(); }
};

struct SlotUse {
  int slot;
  uint8_t last;
  std::vector<uint32_t> tallies;  // counters 1..5
};

// One record as the format table lays it out: every byte not named is zero, every
// slot's Last is 1 unless `uses` says otherwise.
inline std::string RecordBytes(int16_t id, const std::string& name, const std::string& second,
                               const std::string& shortKey, const std::vector<SlotUse>& uses) {
  std::string r(708, '\0');
  r[0] = static_cast<char>(static_cast<uint16_t>(id) & 0xFF);
  r[1] = static_cast<char>(static_cast<uint16_t>(id) >> 8);
  r[2] = static_cast<char>(name.size());
  r.replace(3, name.size(), name);
  r[38] = static_cast<char>(second.size());
  r.replace(39, second.size(), second);
  r[79] = static_cast<char>(shortKey.size());
  r.replace(80, shortKey.size(), shortKey);
  for (int s = 1; s <= 26; ++s) r[84 + 24 * (s - 1)] = 1;
  for (const SlotUse& use : uses) {
    const size_t at = 84 + 24 * static_cast<size_t>(use.slot - 1);
    r[at] = static_cast<char>(use.last);
    for (size_t k = 1; k <= use.tallies.size(); ++k) {
      for (size_t b = 0; b < 4; ++b) {
        r[at + 4 * k + b] = static_cast<char>((use.tallies[k - 1] >> (8 * b)) & 0xFF);
      }
    }
  }
  return r;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace tazu::test
