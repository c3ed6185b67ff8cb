#include "tests/archive/LhaContainer.h"

#include <stdexcept>

namespace tazu::test {

namespace {

constexpr size_t kMethodOffset = 2;
constexpr size_t kMethodBytes = 5;
constexpr size_t kPackedOffset = 7;
constexpr size_t kOriginalOffset = 11;
constexpr size_t kTimeOffset = 15;
constexpr size_t kLevelOffset = 20;
constexpr size_t kNameLengthOffset = 21;
constexpr uint8_t kAttribute = 0x20;
constexpr uint8_t kUnixOs = 'U';
constexpr uint8_t kFileNameHeader = 0x01;
constexpr uint32_t kDosTime = 0x50210000;   // 2020-01-01 00:00
constexpr uint32_t kUnixTime = 1577836800;  // the same moment

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  if (at + bytes > b.size()) throw std::runtime_error("LHA header cut off");
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + i];
  return v;
}

void PutLe(std::vector<uint8_t>& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i, v >>= 8) out.push_back(static_cast<uint8_t>(v));
}

void SetLe(std::vector<uint8_t>& out, size_t at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i, v >>= 8) out[at + i] = static_cast<uint8_t>(v);
}

// Extended headers of levels 1 and 2: type, data, size of the next one. Returns
// where they end; a file name header (type 1) names the member.
size_t ReadExtendedHeaders(const std::vector<uint8_t>& b, size_t at, uint32_t next, LhaMember& m) {
  while (next != 0) {
    if (next < 3 || at + next > b.size()) throw std::runtime_error("bad extended header");
    if (b[at] == kFileNameHeader) m.name.assign(b.begin() + at + 1, b.begin() + at + next - 2);
    at += next;
    next = Le(b, at - 2, 2);
  }
  return at;
}

}  // namespace

std::vector<LhaMember> ReadLhaMembers(const std::vector<uint8_t>& b) {
  std::vector<LhaMember> members;
  size_t at = 0;
  while (at < b.size() && b[at] != 0) {
    LhaMember m;
    if (at + kNameLengthOffset >= b.size()) throw std::runtime_error("LHA header cut off");
    m.method.assign(b.begin() + at + kMethodOffset, b.begin() + at + kMethodOffset + kMethodBytes);
    uint32_t packed = Le(b, at + kPackedOffset, 4);
    m.originalSize = Le(b, at + kOriginalOffset, 4);
    const int level = b[at + kLevelOffset];
    size_t data = 0;
    if (level == 0 || level == 1) {
      const size_t baseEnd = at + 2 + b[at];
      const size_t nameLength = b[at + kNameLengthOffset];
      m.name.assign(b.begin() + at + kNameLengthOffset + 1,
                    b.begin() + at + kNameLengthOffset + 1 + nameLength);
      data = baseEnd;
      if (level == 1) {
        data = ReadExtendedHeaders(b, baseEnd, Le(b, baseEnd - 2, 2), m);
        packed -= static_cast<uint32_t>(data - baseEnd);  // counted in the packed size
      }
    } else if (level == 2) {
      constexpr size_t kFirstExtendedSize = 24;
      data = at + Le(b, at, 2);
      ReadExtendedHeaders(b, at + kFirstExtendedSize + 2, Le(b, at + kFirstExtendedSize, 2), m);
    } else {
      throw std::runtime_error("unknown LHA header level");
    }
    if (data + packed > b.size()) throw std::runtime_error("LHA member cut off");
    m.packed.assign(b.begin() + data, b.begin() + data + packed);
    members.push_back(std::move(m));
    at = data + packed;
  }
  return members;
}

uint16_t LhaCrc16(const std::vector<uint8_t>& data) {
  uint16_t crc = 0;
  for (uint8_t byte : data) {
    crc ^= byte;
    for (int i = 0; i < 8; ++i)
      crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
  }
  return crc;
}

std::vector<uint8_t> WrapInLhaArchive(int level, const std::string& name,
                                      const std::vector<uint8_t>& lh5Stream,
                                      const std::vector<uint8_t>& original) {
  std::vector<uint8_t> h = {0, 0, '-', 'l', 'h', '5', '-'};
  PutLe(h, static_cast<uint32_t>(lh5Stream.size()), 4);
  PutLe(h, static_cast<uint32_t>(original.size()), 4);
  PutLe(h, level == 2 ? kUnixTime : kDosTime, 4);
  h.push_back(kAttribute);
  h.push_back(static_cast<uint8_t>(level));
  const uint16_t crc = LhaCrc16(original);
  if (level == 2) {
    PutLe(h, crc, 2);
    h.push_back(kUnixOs);
    PutLe(h, static_cast<uint32_t>(3 + name.size()), 2);  // file name header follows
    h.push_back(kFileNameHeader);
    h.insert(h.end(), name.begin(), name.end());
    PutLe(h, 0, 2);
    SetLe(h, 0, static_cast<uint32_t>(h.size()), 2);
  } else {
    h.push_back(static_cast<uint8_t>(name.size()));
    h.insert(h.end(), name.begin(), name.end());
    PutLe(h, crc, 2);
    if (level == 1) {
      h.push_back(kUnixOs);
      PutLe(h, 0, 2);  // no extended headers
    }
    h[0] = static_cast<uint8_t>(h.size() - 2);
    uint8_t sum = 0;
    for (size_t i = 2; i < h.size(); ++i) sum = static_cast<uint8_t>(sum + h[i]);
    h[1] = sum;
  }
  h.insert(h.end(), lh5Stream.begin(), lh5Stream.end());
  h.push_back(0);  // end of archive
  return h;
}

}  // namespace tazu::test
