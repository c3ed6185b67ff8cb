// Peer tests against independent LHA tools: lh5 streams made by jlha decode
// exactly through DecompressStream, and our compressor's streams in LHA headers
// of levels 0, 1 and 2 are extracted exactly by lhasa. Skipped without the tools.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "archive/Lh5Encoder.h"
#include "archive/StreamRoutines.h"
#include "tests/MissingPackage.h"
#include "tests/archive/LhaContainer.h"
#include "tests/archive/SampleData.h"
#include "tests/base/TempDir.h"

namespace tazu {
namespace {

bool HaveTool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

int RunQuiet(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str());
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::map<std::string, std::vector<uint8_t>> PeerSamples() {
  return {
      {"text.txt", test::TextBytes(30000, 21)},
      {"text8192.txt", test::TextBytes(8192, 22)},
      {"text8193.txt", test::TextBytes(8193, 23)},
      {"mixed.bin", test::MixedBytes(200000, 24)},
      {"runs.bin", test::RunBytes(20000, 25)},
      {"frames.bin", Concat({test::JpegLikeFrame(15000, 1), test::JpegLikeFrame(15000, 2),
                             test::JpegLikeFrame(15000, 3)})},
      {"zeros.bin", std::vector<uint8_t>(70000, 0)},
  };
}

std::vector<uint8_t> DecompressMember(const test::LhaMember& member) {
  std::vector<uint8_t> payload;
  for (int i = 0; i < 4; ++i)
    payload.push_back(static_cast<uint8_t>(member.originalSize >> (8 * i)));
  payload.insert(payload.end(), member.packed.begin(), member.packed.end());
  TMemoryStream source;
  source.WriteBuffer(payload.data(), static_cast<int64_t>(payload.size()));
  source.SetPosition(0);
  TMemoryStream dest;
  DecompressStream(source, dest);
  return dest.Bytes();
}

class JlhaPeer : public ::testing::TestWithParam<const char*> {};

TEST_P(JlhaPeer, ItsLh5StreamsDecodeExactly) {
  if (!HaveTool("jlha")) TAZU_SKIP_MISSING_PACKAGE("jlha (jlha-utils) is not installed");
  test::TempDir dir;
  const auto samples = PeerSamples();
  std::string names;
  for (const auto& [name, data] : samples) {
    WriteBytes(dir.Str() + "/" + name, data);
    names += " " + name;
  }
  const std::string archive = "peer.lzh";
  ASSERT_EQ(RunQuiet("cd '" + dir.Str() + "' && jlha " + GetParam() + " " + archive + names), 0);

  const auto members = test::ReadLhaMembers(ReadBytes(dir.Str() + "/" + archive));
  ASSERT_EQ(members.size(), samples.size());
  int lh5 = 0;
  for (const auto& member : members) {
    ASSERT_TRUE(samples.count(member.name)) << member.name;
    if (member.method != "-lh5-") continue;
    ++lh5;
    const auto& expected = samples.at(member.name);
    ASSERT_EQ(member.originalSize, expected.size());
    EXPECT_TRUE(DecompressMember(member) == expected) << member.name;
  }
  EXPECT_EQ(lh5, static_cast<int>(samples.size()));
}

// jlha's command letters for header levels 0, 1 and its default 2.
INSTANTIATE_TEST_SUITE_P(HeaderLevels, JlhaPeer, ::testing::Values("a0o5q", "a1o5q", "ao5q"));

class LhasaPeer : public ::testing::TestWithParam<int> {};

TEST_P(LhasaPeer, ExtractsOurStreamsExactly) {
  if (!HaveTool("lhasa")) TAZU_SKIP_MISSING_PACKAGE("lhasa is not installed");
  const int level = GetParam();
  test::TempDir dir;
  auto samples = PeerSamples();
  samples["random.bin"] = test::RandomBytes(9000, 26);
  samples["one.bin"] = {0x5A};
  TLh5EncodeOptions smallBlocks;
  smallBlocks.blockSymbols = 7;
  for (const auto& [name, data] : samples) {
    for (bool small : {false, true}) {
      const auto stream = small ? EncodeLh5(data, smallBlocks) : EncodeLh5(data);
      const std::string lzh = dir.Str() + "/" + name + (small ? ".s" : "") + ".lzh";
      WriteBytes(lzh, test::WrapInLhaArchive(level, name, stream, data));
      const std::string out = dir.Str() + "/out";
      std::filesystem::remove_all(out);
      std::filesystem::create_directories(out);
      ASSERT_EQ(RunQuiet("lhasa xfw='" + out + "' '" + lzh + "'"), 0) << name;
      EXPECT_TRUE(ReadBytes(out + "/" + name) == data) << name << " level " << level;
      EXPECT_EQ(RunQuiet("lhasa t '" + lzh + "'"), 0) << name << " CRC check";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(HeaderLevels, LhasaPeer, ::testing::Values(0, 1, 2));

}  // namespace
}  // namespace tazu
