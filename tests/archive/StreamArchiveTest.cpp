// TStreamArchive: loading every layer combination, the table (sorted, case-
// insensitive, duplicates), GetStream, and what each failure reports and leaves.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "archive/StreamArchive.h"
#include "archive/StreamArchiveWriter.h"
#include "archive/StreamWriteRoutines.h"
#include "tests/base/TempDir.h"

namespace tazu {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

const std::string kSignature("\x01\x02\x03\x04\x05\x06\x07\x08", 8);

std::string Le16(uint32_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }
std::string Le32(uint32_t v) { return Le16(v) + Le16(v >> 16); }

std::string Entry(const std::string& name, const std::string& data) {
  return Le16(static_cast<uint32_t>(name.size())) + name +
         Le32(static_cast<uint32_t>(data.size())) + data;
}

// An image written by hand, so counts and fields can be anything.
std::string RawImage(int32_t count, const Entries& entries) {
  std::string image = kSignature + Le32(static_cast<uint32_t>(count));
  for (const auto& [name, data] : entries) image += Entry(name, data);
  return image;
}

std::string Compressed(const std::string& image) {
  TMemoryStream source;
  source.WriteBuffer(image.data(), static_cast<int64_t>(image.size()));
  source.SetPosition(0);
  TMemoryStream payload;
  CompressStream(source, payload);
  return {payload.Bytes().begin(), payload.Bytes().end()};
}

std::string Enciphered(const std::string& payload, const std::string& key) {
  TMemoryStream s;
  s.WriteBuffer(payload.data(), static_cast<int64_t>(payload.size()));
  EncryptStream(s, key);
  return {s.Bytes().begin(), s.Bytes().end()};
}

std::string StoredFile(const std::string& image) { return "--" + image; }
std::string CompressedFile(const std::string& image) { return "&-" + Compressed(image); }

void Load(TStreamArchive& archive, const std::string& file, int64_t startPosition = 0) {
  TMemoryStream source;
  source.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
  source.SetPosition(startPosition);
  archive.LoadFromStream(source);
}

std::string Get(TStreamArchive& archive, const std::string& name) {
  TMemoryStream dest;
  archive.GetStream(name, dest);
  return {dest.Bytes().begin(), dest.Bytes().end()};
}

std::vector<std::string> Names(const TStreamArchive& archive) {
  std::vector<std::string> names;
  for (int i = 0; i < archive.Count(); ++i) names.push_back(archive.Names(i));
  return names;
}

// Runs a load expected to end in the corrupt report; returns OnCorrupt's count at
// the moment the exception left the component.
int LoadExpectingCorrupt(TStreamArchive& archive, const std::string& file) {
  int fired = 0;
  archive.OnCorrupt = [&fired, &archive](TStreamArchive* sender) {
    EXPECT_EQ(sender, &archive);
    ++fired;
  };
  try {
    Load(archive, file);
    ADD_FAILURE() << "expected ECorruptFile";
  } catch (const ECorruptFile& e) {
    EXPECT_EQ(e.Message(), "File is corrupt.");
  }
  archive.OnCorrupt = nullptr;
  return fired;
}

const Entries kFrames = {{"frame2", "second"}, {"frame1", "first"}, {"Frame10", "tenth"}};

// ---- loading ----

struct Layers {
  bool compressed;
  bool encrypted;
};

class StreamArchiveLayers : public ::testing::TestWithParam<Layers> {};

TEST_P(StreamArchiveLayers, LoadsEveryEntryAndReportsTheFlags) {
  const Layers layers = GetParam();
  std::vector<TArchiveEntry> entries;
  for (const auto& [name, data] : kFrames) entries.push_back({name, {data.begin(), data.end()}});
  TArchiveWriteOptions options;
  options.Compressed = layers.compressed;
  options.Encrypted = layers.encrypted;
  options.Key = "secret";
  TMemoryStream file;
  SaveArchiveToStream(entries, file, options);

  TStreamArchive archive;
  archive.SetCompressed(!layers.compressed);
  archive.SetEncrypted(!layers.encrypted);
  archive.SetKey("secret");
  file.SetPosition(file.Size());  // the load starts from 0 whatever the position
  archive.LoadFromStream(file);

  EXPECT_EQ(Names(archive), (std::vector<std::string>{"frame1", "Frame10", "frame2"}));
  EXPECT_EQ(Get(archive, "frame1"), "first");
  EXPECT_EQ(Get(archive, "frame2"), "second");
  EXPECT_EQ(Get(archive, "frame10"), "tenth");
  EXPECT_EQ(archive.Compressed(), layers.compressed);
  EXPECT_EQ(archive.Encrypted(), layers.encrypted);
}

INSTANTIATE_TEST_SUITE_P(AllLayers, StreamArchiveLayers,
                         ::testing::Values(Layers{false, false}, Layers{true, false},
                                           Layers{false, true}, Layers{true, true}));

TEST(StreamArchiveLoad, InitialFlagsAreCompressedAndPlain) {
  TStreamArchive archive;
  EXPECT_TRUE(archive.Compressed());
  EXPECT_FALSE(archive.Encrypted());
  EXPECT_EQ(archive.Key(), "");
  EXPECT_EQ(archive.Count(), 0);
}

TEST(StreamArchiveLoad, AnyOtherFlagBytesMeanStoredAndPlain) {
  TStreamArchive archive;
  Load(archive, "x\x2B" + RawImage(1, {{"a", "1"}}));
  EXPECT_FALSE(archive.Compressed());
  EXPECT_FALSE(archive.Encrypted());
  EXPECT_EQ(Get(archive, "a"), "1");
}

TEST(StreamArchiveLoad, CountZeroOrNegativeGivesAnEmptyTable) {
  for (int32_t count : {0, -1, INT32_MIN}) {
    TStreamArchive archive;
    Load(archive, StoredFile(RawImage(1, {{"old", "x"}})));
    Load(archive, StoredFile(RawImage(count, {{"ignored", "y"}})));
    EXPECT_EQ(archive.Count(), 0) << count;
  }
}

TEST(StreamArchiveLoad, BytesAfterTheLastEntryAreIgnored) {
  TStreamArchive archive;
  Load(archive, CompressedFile(RawImage(1, {{"a", "1"}, {"b", "2"}}) + "trailing"));
  EXPECT_EQ(Names(archive), std::vector<std::string>{"a"});
}

TEST(StreamArchiveLoad, DuplicateNamesKeepTheFirstSpellingAndTheLaterData) {
  TStreamArchive archive;
  Load(archive, StoredFile(RawImage(
                    4, {{"Frame1", "old"}, {"b", "x"}, {"FRAME1", "mid"}, {"frame1", "new"}})));
  EXPECT_EQ(Names(archive), (std::vector<std::string>{"b", "Frame1"}));
  EXPECT_EQ(Get(archive, "frame1"), "new");
}

TEST(StreamArchiveLoad, NamesMatchIgnoringTheCaseOfEveryWindows1252Letter) {
  TStreamArchive archive;
  Load(
      archive,
      StoredFile(RawImage(
          4, {{"\xe9t\xe9", "summer"}, {"\x9ao", "sho"}, {"caf\xe9", "old"}, {"CAF\xc9", "new"}})));
  EXPECT_EQ(Names(archive).size(), 3u) << "caf\xe9 and CAF\xc9 are one name";
  EXPECT_EQ(Get(archive, "\xc9T\xc9"), "summer");
  EXPECT_EQ(Get(archive, "\x8aO"), "sho");
  EXPECT_EQ(Get(archive, "Caf\xc9"), "new");
  EXPECT_EQ(Get(archive, "caf\xe8"), "") << "another letter, not another case";
}

TEST(StreamArchiveLoad, EachSuccessfulLoadReplacesTheWholeTable) {
  TStreamArchive archive;
  Load(archive, StoredFile(RawImage(2, {{"a", "1"}, {"b", "2"}})));
  Load(archive, CompressedFile(RawImage(1, {{"c", "3"}})));
  EXPECT_EQ(Names(archive), std::vector<std::string>{"c"});
  archive.ClearStreams();
  EXPECT_EQ(archive.Count(), 0);
}

TEST(StreamArchiveLoad, LoadFromFileReadsTheFile) {
  test::TempDir dir;
  const std::string path =
      dir.Write("intro_126.frm", CompressedFile(RawImage(1, {{"frame1", "jpeg"}})));
  TStreamArchive archive;
  archive.LoadFromFile(path);
  EXPECT_EQ(Get(archive, "FRAME1"), "jpeg");
}

// ---- GetStream ----

TEST(StreamArchiveGetStream, CopiesTheWholeEntryAndAppendsAtDestPosition) {
  TStreamArchive archive;
  Load(archive, StoredFile(RawImage(1, {{"frame1", "abc"}})));
  TMemoryStream dest;
  archive.GetStream("frame1", dest);
  EXPECT_EQ(dest.Position(), 0);
  dest.Seek(0, SeekOrigin::End);
  archive.GetStream("Frame1", dest);  // appends behind the first copy
  EXPECT_EQ(std::string(dest.Bytes().begin(), dest.Bytes().end()), "abcabc");
  EXPECT_EQ(dest.Position(), 0);
}

TEST(StreamArchiveGetStream, EntryPositionDoesNotMatter) {
  TStreamArchive archive;
  Load(archive, StoredFile(RawImage(1, {{"f", "xyz"}})));
  const_cast<TMemoryStream&>(archive.Streams(0)).SetPosition(2);
  EXPECT_EQ(Get(archive, "f"), "xyz");
}

TEST(StreamArchiveGetStream, SecondCallWritesWhereTheFirstLeftDestPosition) {
  TStreamArchive archive;
  Load(archive, StoredFile(RawImage(1, {{"f", "12"}})));
  TMemoryStream dest;
  archive.GetStream("f", dest);
  archive.GetStream("f", dest);  // the first call rewound Dest: written over in place
  EXPECT_EQ(std::string(dest.Bytes().begin(), dest.Bytes().end()), "12");
  dest.SetPosition(2);
  archive.GetStream("f", dest);
  EXPECT_EQ(std::string(dest.Bytes().begin(), dest.Bytes().end()), "1212");
}

TEST(StreamArchiveGetStream, EmptyEntryOrMissingNameLeavesContentsAndRewinds) {
  TStreamArchive archive;
  Load(archive, StoredFile(RawImage(1, {{"empty", ""}})));
  for (const std::string name : {"empty", "missing"}) {
    TMemoryStream dest;
    dest.WriteBuffer("keep", 4);
    archive.GetStream(name, dest);
    EXPECT_EQ(std::string(dest.Bytes().begin(), dest.Bytes().end()), "keep");
    EXPECT_EQ(dest.Position(), 0) << name;
  }
}

TEST(StreamArchiveGetStream, EmptyNameLeavesDestUntouched) {
  TStreamArchive archive;
  Load(archive, StoredFile(RawImage(1, {{"", "nameless"}})));
  TMemoryStream dest;
  dest.WriteBuffer("keep", 4);
  archive.GetStream("", dest);
  EXPECT_EQ(dest.Position(), 4);
  EXPECT_EQ(dest.Size(), 4);
}

// ---- failures ----

TEST(StreamArchiveCorrupt, StoredImageWithoutSignatureKeepsEverything) {
  TStreamArchive archive;
  Load(archive, CompressedFile(RawImage(1, {{"old", "x"}})));
  archive.SetKey("k");
  std::string bad = RawImage(1, {{"new", "y"}});
  bad[7] = 9;
  EXPECT_EQ(LoadExpectingCorrupt(archive, "ab" + bad), 1);
  EXPECT_EQ(Names(archive), std::vector<std::string>{"old"});
  EXPECT_TRUE(archive.Compressed());  // the failed stored load did not report its flags
  EXPECT_EQ(archive.Key(), "k");
}

TEST(StreamArchiveCorrupt, CompressedImageWithoutSignatureKeepsTheTable) {
  TStreamArchive archive;
  Load(archive, StoredFile(RawImage(1, {{"old", "x"}})));
  EXPECT_EQ(LoadExpectingCorrupt(archive, CompressedFile("not an archive image")), 1);
  EXPECT_EQ(Names(archive), std::vector<std::string>{"old"});
  EXPECT_FALSE(archive.Compressed());
}

TEST(StreamArchiveCorrupt, DecompressorFailureBecomesTheArchiveReport) {
  TStreamArchive archive;
  // A pre-code of three 1-bit codes is inconsistent.
  const std::string payload = Le32(100) + std::string("\x00\x01\x19\x24", 4);
  EXPECT_EQ(LoadExpectingCorrupt(archive, "&-" + payload), 1);
}

TEST(StreamArchiveCorrupt, ShortFilesAndCutFieldsAreReported) {
  const std::string image = RawImage(2, {{"name", "data"}, {"second", "more"}});
  std::vector<std::string> files = {"", "&", "--", "&-", "&-\x10", "--\x01\x02\x03"};
  for (size_t cut = 0; cut < 12; ++cut) files.push_back(StoredFile(image.substr(0, cut)));
  // Ends inside the second entry's name length, name and size fields.
  const size_t second = 12 + Entry("name", "data").size();
  for (size_t cut : {second + 1, second + 4, second + 2 + 6 + 3}) {
    files.push_back(StoredFile(image.substr(0, cut)));
    files.push_back(CompressedFile(image.substr(0, cut)));
  }
  for (const auto& file : files) {
    TStreamArchive archive;
    EXPECT_EQ(LoadExpectingCorrupt(archive, file), 1) << file.size();
  }
}

TEST(StreamArchiveCorrupt, CutEntriesKeepTheEntriesReadBefore) {
  const std::string image = RawImage(2, {{"name", "data"}, {"second", "more"}});
  TStreamArchive archive;
  Load(archive, StoredFile(RawImage(1, {{"old", "x"}})));
  EXPECT_EQ(LoadExpectingCorrupt(archive, StoredFile(image.substr(0, image.size() - 9))), 1);
  EXPECT_EQ(Names(archive), std::vector<std::string>{"name"});
}

TEST(StreamArchiveCorrupt, NegativeDataSizeIsReported) {
  TStreamArchive archive;
  const std::string image = kSignature + Le32(1) + Le16(1) + "a" + Le32(0xFFFFFFFF);
  EXPECT_EQ(LoadExpectingCorrupt(archive, StoredFile(image)), 1);
}

TEST(StreamArchiveCorrupt, ExpansionAboveTheLimitIsReported) {
  TStreamArchive archive;
  archive.SetMaxExpandedSize(64);
  const std::string file = CompressedFile(RawImage(1, {{"big", std::string(100, 'b')}}));
  EXPECT_EQ(LoadExpectingCorrupt(archive, file), 1);
  archive.SetMaxExpandedSize(1000);
  Load(archive, file);
  EXPECT_EQ(Get(archive, "big"), std::string(100, 'b'));
}

TEST(StreamArchiveReadError, DataPastTheEndRaisesReadErrorAndKeepsEarlierEntries) {
  TStreamArchive archive;
  archive.SetKey("before");
  int fired = 0;
  archive.OnCorrupt = [&fired](TStreamArchive*) { ++fired; };
  std::string cut = kSignature + Le32(3) + Entry("a", "1") + Entry("b", "22") + Le16(1) + "c" +
                    Le32(50) + "short";
  for (const auto& file : {StoredFile(cut), CompressedFile(cut)}) {
    try {
      Load(archive, file);
      ADD_FAILURE() << "expected EReadError";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), "Stream read error");
    }
    EXPECT_EQ(Names(archive), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(Get(archive, "b"), "22");
  }
  EXPECT_EQ(fired, 0);
  EXPECT_TRUE(archive.Compressed());
  EXPECT_EQ(archive.Key(), "before");
}

TEST(StreamArchiveOpenError, MissingFileRaisesTheOpenErrorAndChangesNothing) {
  test::TempDir dir;
  TStreamArchive archive;
  Load(archive, StoredFile(RawImage(1, {{"old", "x"}})));
  int fired = 0;
  archive.OnCorrupt = [&fired](TStreamArchive*) { ++fired; };
  EXPECT_THROW(archive.LoadFromFile(dir.Str() + "/missing.frm"), EFOpenError);
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(Names(archive), std::vector<std::string>{"old"});
}

TEST(StreamArchiveCorrupt, WithoutHandlerTheReportStillRaises) {
  TStreamArchive archive;
  EXPECT_THROW(Load(archive, "--garbage!"), ECorruptFile);
}

// ---- enciphered archives ----

TEST(StreamArchiveKey, AskForKeySuppliesTheKeyThatIsKeptAfterSuccess) {
  const std::string file = "&*" + Enciphered(Compressed(RawImage(1, {{"f", "v"}})), "asked");
  TStreamArchive archive;
  archive.SetKey("stale");
  int asked = 0;
  archive.OnAskForKey = [&asked](TStreamArchive*) {
    ++asked;
    return std::string("asked");
  };
  Load(archive, file);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(archive.Key(), "asked");
  EXPECT_TRUE(archive.Encrypted());
  EXPECT_EQ(Get(archive, "f"), "v");
}

TEST(StreamArchiveKey, WrongEmptyOrWeakKeyEndsInTheReportAndKeepsTheKey) {
  const std::string image = RawImage(1, {{"f", "v"}});
  const std::string file = "-*" + Enciphered(image, "right");
  for (const std::string key : {"wrong", "", "weak50582"}) {
    TStreamArchive archive;
    archive.OnAskForKey = [key](TStreamArchive*) { return key; };
    EXPECT_EQ(LoadExpectingCorrupt(archive, file), 1) << key;
    EXPECT_EQ(archive.Key(), "");
    EXPECT_FALSE(archive.Encrypted());
  }
  TStreamArchive archive;
  archive.SetKey("k");
  // No whole block to decipher, and a pad count larger than the payload.
  EXPECT_EQ(LoadExpectingCorrupt(archive, "-*" + std::string("\x05", 1)), 1);
}

TEST(StreamArchiveKey, WithoutHandlerTheKeyPropertyIsUsed) {
  TStreamArchive archive;
  archive.SetKey("prop");
  Load(archive, "&*" + Enciphered(Compressed(RawImage(1, {{"f", "w"}})), "prop"));
  EXPECT_EQ(Get(archive, "f"), "w");
}

}  // namespace
}  // namespace tazu
