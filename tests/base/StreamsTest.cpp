#include "base/Streams.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/ByteReader.h"
#include "base/Exceptions.h"
#include "tests/base/TempDir.h"

namespace tazu {
namespace {

TEST(MemoryStream, ReadPastEndReturnsFewerBytesAndReadBufferRaises) {
  TMemoryStream s;
  s.WriteBuffer("abcdef", 6);
  EXPECT_EQ(s.Position(), 6);
  s.SetPosition(4);
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 2);
  EXPECT_EQ(std::string(buf, 2), "ef");
  EXPECT_EQ(s.Read(buf, 1), 0);
  s.SetPosition(5);
  try {
    s.ReadBuffer(buf, 2);
    FAIL() << "no exception";
  } catch (const EReadError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
}

TEST(MemoryStream, WritingPastTheEndExtendsWithZeros) {
  TMemoryStream s;
  s.Seek(3, SeekOrigin::Beginning);
  s.WriteBuffer("x", 1);
  ASSERT_EQ(s.Size(), 4);
  EXPECT_EQ(std::vector<uint8_t>(s.Memory(), s.Memory() + 4), (std::vector<uint8_t>{0, 0, 0, 'x'}));
  EXPECT_EQ(s.Seek(-10, SeekOrigin::Current), 0);
  EXPECT_EQ(s.Seek(-1, SeekOrigin::End), 3);
  s.SetSize(2);
  EXPECT_EQ(s.Position(), 2);
}

TEST(MemoryStream, CopyFromWholeAndPart) {
  TMemoryStream a, b;
  a.WriteBuffer("hello world", 11);
  EXPECT_EQ(b.CopyFrom(a, 0), 11);
  EXPECT_EQ(b.Size(), 11);
  a.SetPosition(6);
  TMemoryStream c;
  c.CopyFrom(a, 5);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(c.Memory()), 5), "world");
  a.SetPosition(8);
  EXPECT_THROW(c.CopyFrom(a, 5), EReadError);
}

TEST(FileStream, CreateWriteReopenReadAndResize) {
  test::TempDir dir;
  const std::string name = dir.Str() + "\\Data\\..\\file.bin";
  std::filesystem::create_directories(dir.Path() / "Data");
  {
    TFileStream f(name, FileMode::Create);
    f.WriteBuffer("0123456789", 10);
    EXPECT_EQ(f.Size(), 10);
  }
  {
    TFileStream f(dir.Str() + "\\FILE.BIN", FileMode::OpenReadWrite);
    char buf[4] = {};
    f.Seek(2, SeekOrigin::Beginning);
    f.ReadBuffer(buf, 3);
    EXPECT_EQ(std::string(buf, 3), "234");
    f.WriteBuffer("ab", 2);  // a write right after a read
    f.SetPosition(0);
    char all[10];
    f.ReadBuffer(all, 10);
    EXPECT_EQ(std::string(all, 10), "01234ab789");
    f.SetSize(4);
    EXPECT_EQ(f.Size(), 4);
    EXPECT_EQ(f.Position(), 4);
  }
  EXPECT_EQ(std::filesystem::file_size(dir.Path() / "file.bin"), 4u);
}

TEST(FileStream, MissingFileRaisesWithItsName) {
  test::TempDir dir;
  const std::string missing = dir.Str() + "/missing.dat";
  try {
    TFileStream f(missing, FileMode::OpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message(), "Cannot open file " + missing);
  }
  EXPECT_THROW(TFileStream(dir.Str() + "/no/such/folder/x", FileMode::Create), EFCreateError);
}

TEST(ByteReader, ReadsBothByteOrdersAndFailsForGoodPastTheEnd) {
  constexpr char kBytes[] = {1, 2, 3, 4, '\x81', 0, 3, 'a', 'b', 'c', 'Z'};
  ByteReader r(std::string_view(kBytes, sizeof kBytes));
  EXPECT_EQ(r.U16Le(), 0x0201);
  EXPECT_EQ(r.U16Be(), 0x0304);
  EXPECT_EQ(r.VarLen(), 0x80u);
  EXPECT_TRUE(r.Ok());
  EXPECT_EQ(r.ShortString(2), std::nullopt) << "length above the capacity";
  EXPECT_EQ(r.Text(3), "abc");
  EXPECT_EQ(r.U32Le(), 0u);
  EXPECT_FALSE(r.Ok());
  EXPECT_EQ(r.Left(), 1u) << "a failed read moves nothing";
  EXPECT_EQ(r.U8(), 0) << "and every later read fails";

  ByteReader fiveBytes(std::string_view("\x80\x80\x80\x80\x00", 5));
  EXPECT_EQ(fiveBytes.VarLen(), 0u);
  EXPECT_FALSE(fiveBytes.Ok()) << "a number longer than four bytes";
  ByteReader tags(std::string_view("MThd\x00\x00\x00\x06", 8));
  EXPECT_FALSE(tags.Tag("MTrk"));
  EXPECT_EQ(tags.U32Be(), 6u) << "a wrong tag is read all the same";
}

}  // namespace
}  // namespace tazu
