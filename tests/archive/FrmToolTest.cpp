// tazu-frm's commands: pack, list, extract and extract-all, and the messages and
// exit codes for bad use and damaged archives.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "archive/StreamArchive.h"
#include "tests/base/TempDir.h"
#include "tools/frm/FrmCommands.h"

namespace tazu {
namespace {

struct ToolRun {
  int code;
  std::string out;
  std::string err;
};

ToolRun Frm(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = RunFrmTool(args, out, err);
  return {code, out.str(), err.str()};
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class FrmTool : public ::testing::Test {
 protected:
  void SetUp() override {
    a_ = dir_.Write("in/frame1", "first frame");
    b_ = dir_.Write("in/sub/Frame2", std::string(5000, 'f'));
    empty_ = dir_.Write("in/empty.bin", "");
    frm_ = dir_.Str() + "/lib.frm";
  }
  test::TempDir dir_;
  std::string a_, b_, empty_, frm_;
};

TEST_F(FrmTool, PackNamesEntriesAfterTheFileAndListShowsTableOrder) {
  ASSERT_EQ(Frm({"pack", frm_, b_, a_, empty_}).code, kFrmOk);
  const ToolRun list = Frm({"list", frm_});
  EXPECT_EQ(list.code, kFrmOk);
  EXPECT_EQ(list.out, "empty.bin\t0\nframe1\t11\nFrame2\t5000\n");
  EXPECT_EQ(ReadFile(frm_).substr(0, 2), "&-");
}

TEST_F(FrmTool, StoredPackWritesTheImageAsIs) {
  ASSERT_EQ(Frm({"pack", frm_, "--stored", a_}).code, kFrmOk);
  const std::string file = ReadFile(frm_);
  EXPECT_NE(file[0], '&');
  EXPECT_EQ(file.substr(2, 8), std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
  TStreamArchive archive;
  archive.LoadFromFile(frm_);
  EXPECT_FALSE(archive.Compressed());
}

TEST_F(FrmTool, ExtractOneAndAll) {
  ASSERT_EQ(Frm({"pack", frm_, a_, b_, empty_}).code, kFrmOk);
  const std::string one = dir_.Str() + "/one.jpg";
  EXPECT_EQ(Frm({"extract", frm_, "FRAME2", one}).code, kFrmOk);
  EXPECT_EQ(ReadFile(one), std::string(5000, 'f'));

  const std::string out = dir_.Str() + "/all";
  EXPECT_EQ(Frm({"extract-all", frm_, out}).code, kFrmOk);
  EXPECT_EQ(ReadFile(out + "/frame1"), "first frame");
  EXPECT_EQ(ReadFile(out + "/Frame2"), std::string(5000, 'f'));
  EXPECT_EQ(ReadFile(out + "/empty.bin"), "");
}

TEST_F(FrmTool, MissingEntryFailsWithAMessage) {
  ASSERT_EQ(Frm({"pack", frm_, a_}).code, kFrmOk);
  const ToolRun run = Frm({"extract", frm_, "frame9", dir_.Str() + "/x"});
  EXPECT_EQ(run.code, kFrmFailed);
  EXPECT_NE(run.err.find("no entry named frame9"), std::string::npos);
}

TEST_F(FrmTool, DamagedArchivesFailWithAMessage) {
  ASSERT_EQ(Frm({"pack", frm_, "--stored", a_, b_}).code, kFrmOk);
  std::string bytes = ReadFile(frm_);
  dir_.Write("cut.frm", bytes.substr(0, bytes.size() - 10));
  const ToolRun cut = Frm({"list", dir_.Str() + "/cut.frm"});
  EXPECT_EQ(cut.code, kFrmFailed);
  EXPECT_NE(cut.err.find("damaged archive"), std::string::npos);

  bytes[5] = 'X';
  dir_.Write("bad.frm", bytes);
  const ToolRun bad = Frm({"extract-all", dir_.Str() + "/bad.frm", dir_.Str() + "/o"});
  EXPECT_EQ(bad.code, kFrmFailed);
  EXPECT_NE(bad.err.find("File is corrupt."), std::string::npos);

  const ToolRun missing = Frm({"list", dir_.Str() + "/none.frm"});
  EXPECT_EQ(missing.code, kFrmFailed);
  EXPECT_NE(missing.err.find("Cannot open file"), std::string::npos);
}

TEST_F(FrmTool, UnsafeEntryNamesAreNotWrittenOutsideTheFolder) {
  const std::string image =
      std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8) + std::string("\x02\x00\x00\x00", 4) +
      std::string("\x05\x00", 2) + "../up" + std::string("\x01\x00\x00\x00", 4) + "u" +
      std::string("\x02\x00", 2) + "ok" + std::string("\x01\x00\x00\x00", 4) + "k";
  const std::string frm = dir_.Write("evil.frm", "--" + image);
  const ToolRun run = Frm({"extract-all", frm, dir_.Str() + "/safe"});
  EXPECT_EQ(run.code, kFrmFailed);
  EXPECT_NE(run.err.find("unsafe name"), std::string::npos);
  EXPECT_EQ(ReadFile(dir_.Str() + "/safe/ok"), "k");
  EXPECT_FALSE(std::filesystem::exists(dir_.Str() + "/up"));
}

TEST_F(FrmTool, BadUseShowsUsage) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"pack", frm_}, {"list"}, {"extract", frm_, "x"}, {"frob"}}) {
    const ToolRun run = Frm(args);
    EXPECT_EQ(run.code, kFrmUsage);
    EXPECT_NE(run.err.find("usage:"), std::string::npos);
  }
  EXPECT_EQ(Frm({"pack", frm_, dir_.Str() + "/nothing"}).code, kFrmFailed);
  EXPECT_EQ(Frm({"pack", frm_, a_, dir_.Write("other/FRAME1", "dup")}).code, kFrmFailed);
}

}  // namespace
}  // namespace tazu
