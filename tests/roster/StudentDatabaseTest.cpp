// Looking learners up and recording their use: the exact bytes of new records,
// in-place updates, appends, and that nothing else in the file ever changes.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <random>
#include <string>

#include "roster/RosterStorage.h"
#include "roster/StudentDatabase.h"
#include "tests/base/TempDir.h"
#include "tests/roster/RosterTestSupport.h"

namespace fs = std::filesystem;

namespace tazu {
namespace {

using test::RecordBytes;

class StudentDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir.Path() / "sys");
    env.systemFolder = (dir.Path() / "sys").string();
    env.currentFolder = dir.Str();
  }
  fs::path Roster() const { return dir.Path() / "sys" / "tazu_students.dat"; }
  std::string Bytes() const { return test::ReadBytes(Roster()); }
  void SetBytes(const std::string& bytes) const { test::WriteBytes(Roster(), bytes); }

  test::TempDir dir;
  test::FakeRosterEnvironment env;
};

TEST_F(StudentDatabaseTest, FirstLearnerCreatesExactlyOneRecord) {
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), -1);
  EXPECT_FALSE(fs::exists(Roster()));

  EXPECT_EQ(RecordLearnerUse(env, 3, 1, "ANNA", "", ""), 1);
  const std::string bytes = Bytes();
  ASSERT_EQ(bytes.size(), 708u);
  EXPECT_EQ(bytes, RecordBytes(1, "ANNA", "", "", {{3, 1, {1, 0, 0, 0, 0}}}));
  // The fields spelled out, as a reader of the file sees them.
  EXPECT_EQ(bytes.substr(0, 7), std::string("\x01\x00\x04"
                                            "ANNA",
                                            7));
  EXPECT_EQ(bytes[38], 0);
  EXPECT_EQ(bytes[79], 0);
  EXPECT_EQ(bytes[84 + 24 * 2 + 4], 1);
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), 1);
}

TEST_F(StudentDatabaseTest, SecondLearnerIsAppendedWithNextId) {
  ASSERT_EQ(RecordLearnerUse(env, 3, 1, "ANNA", "", ""), 1);
  EXPECT_EQ(FindLearner(env, "BEN", "", ""), -1);
  EXPECT_EQ(RecordLearnerUse(env, 4, 1, "BEN", "", ""), 2);
  EXPECT_EQ(Bytes(), RecordBytes(1, "ANNA", "", "", {{3, 1, {1, 0, 0, 0, 0}}}) +
                         RecordBytes(2, "BEN", "", "", {{4, 1, {1, 0, 0, 0, 0}}}));
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), 1);
  EXPECT_EQ(FindLearner(env, "BEN", "", ""), 2);
}

TEST_F(StudentDatabaseTest, KnownLearnerIsFoundWithoutWriting) {
  SetBytes(RecordBytes(7, "ANNA", "", "", {}) + RecordBytes(8, "BEN", "", "", {}));
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(3);
  fs::last_write_time(Roster(), old);
  const std::string before = Bytes();

  EXPECT_EQ(FindLearner(env, "BEN", "", ""), 8);
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), 7);
  EXPECT_EQ(Bytes(), before);
  // Some file systems keep coarser times than the clock; a write would show the present.
  const auto kept = fs::last_write_time(Roster()) - old;
  EXPECT_LT(std::chrono::abs(kept), std::chrono::seconds(2));
}

TEST_F(StudentDatabaseTest, KeysAreComparedExactly) {
  SetBytes(RecordBytes(1, "ANNA", "", "", {}) + RecordBytes(2, "ANNA", "X", "", {}) +
           RecordBytes(3, "ANNA", "", "Y", {}));
  EXPECT_EQ(FindLearner(env, "Anna", "", ""), -1);
  EXPECT_EQ(FindLearner(env, "ANN", "", ""), -1);
  EXPECT_EQ(FindLearner(env, "ANNA ", "", ""), -1);
  EXPECT_EQ(FindLearner(env, "ANNA", "X", ""), 2);
  EXPECT_EQ(FindLearner(env, "ANNA", "", "Y"), 3);
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), 1);

  // Anna is a learner of her own.
  EXPECT_EQ(RecordLearnerUse(env, 3, 1, "Anna", "", ""), 4);
  EXPECT_EQ(FindLearner(env, "Anna", "", ""), 4);
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), 1);
}

TEST_F(StudentDatabaseTest, DuplicateKeyFindsLaterAndUpdatesBoth) {
  const std::string first = RecordBytes(1, "ANNA", "", "", {{5, 2, {0, 3, 0, 0, 0}}});
  const std::string middle = RecordBytes(2, "BEN", "", "", {});
  const std::string last = RecordBytes(3, "ANNA", "", "", {{5, 1, {9, 0, 0, 0, 0}}});
  SetBytes(first + middle + last);
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), 3);

  EXPECT_EQ(RecordLearnerUse(env, 5, 4, "ANNA", "", ""), 3);
  EXPECT_EQ(Bytes(), RecordBytes(1, "ANNA", "", "", {{5, 4, {0, 3, 0, 1, 0}}}) + middle +
                         RecordBytes(3, "ANNA", "", "", {{5, 4, {9, 0, 0, 1, 0}}}));
}

TEST_F(StudentDatabaseTest, CountsAccumulatePerLevelAndSlot) {
  ASSERT_EQ(RecordLearnerUse(env, 26, 5, "ANNA", "K", "ab"), 1);
  EXPECT_EQ(RecordLearnerUse(env, 26, 5, "ANNA", "K", "ab"), 1);
  EXPECT_EQ(RecordLearnerUse(env, 26, 2, "ANNA", "K", "ab"), 1);
  EXPECT_EQ(RecordLearnerUse(env, 1, 1, "ANNA", "K", "ab"), 1);
  EXPECT_EQ(Bytes(),
            RecordBytes(1, "ANNA", "K", "ab", {{1, 1, {1, 0, 0, 0, 0}}, {26, 2, {0, 1, 0, 0, 2}}}));
}

TEST_F(StudentDatabaseTest, IncompleteTailIsIgnoredAndOverwrittenByAppend) {
  const std::string records =
      RecordBytes(4, "ANNA", "", "", {}) + RecordBytes(9, "BEN", "", "", {});
  // A tail that starts like a record for CARL with Id 50.
  const std::string tail = RecordBytes(50, "CARL", "", "", {}).substr(0, 300);
  SetBytes(records + tail);
  EXPECT_EQ(FindLearner(env, "CARL", "", ""), -1);
  EXPECT_EQ(FindLearner(env, "BEN", "", ""), 9);

  EXPECT_EQ(RecordLearnerUse(env, 3, 1, "CARL", "", ""), 10);
  EXPECT_EQ(Bytes(), records + RecordBytes(10, "CARL", "", "", {{3, 1, {1, 0, 0, 0, 0}}}));
}

TEST_F(StudentDatabaseTest, FileWithoutWholeRecordStartsAtIdOne) {
  SetBytes("");
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), -1);
  EXPECT_EQ(RecordLearnerUse(env, 4, 1, "ANNA", "", ""), 1);
  EXPECT_EQ(Bytes(), RecordBytes(1, "ANNA", "", "", {{4, 1, {1, 0, 0, 0, 0}}}));

  SetBytes(std::string(707, '\x05'));
  EXPECT_EQ(RecordLearnerUse(env, 3, 1, "BEN", "", ""), 1);
  EXPECT_EQ(Bytes(), RecordBytes(1, "BEN", "", "", {{3, 1, {1, 0, 0, 0, 0}}}));
}

TEST_F(StudentDatabaseTest, IdsFollowTheLastRecordAndNeverBecomeNone) {
  SetBytes(RecordBytes(100, "ANNA", "", "", {}) + RecordBytes(32767, "BEN", "", "", {}));
  EXPECT_EQ(RecordLearnerUse(env, 3, 1, "CARL", "", ""), -32768);
  EXPECT_EQ(FindLearner(env, "CARL", "", ""), -32768);

  SetBytes(RecordBytes(-2, "ANNA", "", "", {}));
  EXPECT_EQ(RecordLearnerUse(env, 3, 1, "BEN", "", ""), 0);
  EXPECT_EQ(Bytes().substr(708, 2), std::string("\0\0", 2));
}

TEST_F(StudentDatabaseTest, LongKeysAreCutAndFoundAgain) {
  const std::string longName(50, 'N');
  const std::string longSecond(60, 'S');
  ASSERT_EQ(RecordLearnerUse(env, 3, 1, longName, longSecond, "ABCDEFG"), 1);
  EXPECT_EQ(Bytes(), RecordBytes(1, longName.substr(0, 35), longSecond.substr(0, 40), "ABCD",
                                 {{3, 1, {1, 0, 0, 0, 0}}}));
  EXPECT_EQ(FindLearner(env, longName, longSecond, "ABCDEFG"), 1);
  EXPECT_EQ(FindLearner(env, longName.substr(0, 35), longSecond.substr(0, 40), "ABCD"), 1);
  EXPECT_EQ(RecordLearnerUse(env, 3, 1, longName, longSecond, "ABCDXYZ"), 1);
  EXPECT_EQ(Bytes().size(), 708u);
}

TEST_F(StudentDatabaseTest, SlotOrLevelOutOfBoundsChangesNothing) {
  EXPECT_EQ(RecordLearnerUse(env, 0, 1, "ANNA", "", ""), -1);
  EXPECT_EQ(RecordLearnerUse(env, 3, 6, "ANNA", "", ""), -1);
  EXPECT_FALSE(fs::exists(Roster()));
  SetBytes(RecordBytes(1, "ANNA", "", "", {}));
  EXPECT_EQ(RecordLearnerUse(env, 27, 1, "ANNA", "", ""), -1);
  EXPECT_EQ(RecordLearnerUse(env, 3, 0, "ANNA", "", ""), -1);
  EXPECT_EQ(RecordLearnerUse(env, 3, -1, "BEN", "", ""), -1);
  EXPECT_EQ(Bytes(), RecordBytes(1, "ANNA", "", "", {}));
}

TEST_F(StudentDatabaseTest, RosterGoesWhereTheFolderSays) {
  env.block = {"ALLUSERSPROFILE=" + dir.Str()};
  ASSERT_EQ(RecordLearnerUse(env, 3, 1, "ANNA", "", ""), 1);
  EXPECT_TRUE(fs::is_regular_file(dir.Path() / "documents" / "tazu_students.dat"));
  EXPECT_FALSE(fs::exists(Roster()));
}

TEST_F(StudentDatabaseTest, RostersLongerThanOneReadAreReadWhole) {
  // Learners around every multiple of the records read at once, and a torn tail.
  const int count = 2 * 1024 + 3;
  std::string file;
  for (int id = 1; id <= count; ++id) {
    file += RecordBytes(static_cast<int16_t>(id), "L" + std::to_string(id), "", "", {});
  }
  SetBytes(file + "torn");
  for (int id : {1, 1023, 1024, 1025, 1026, 2048, 2049, count}) {
    EXPECT_EQ(FindLearner(env, "L" + std::to_string(id), "", ""), id);
  }
  EXPECT_EQ(RecordLearnerUse(env, 2, 5, "L1025", "", ""), 1025);
  EXPECT_EQ(RecordLearnerUse(env, 3, 1, "NEW", "", ""), count + 1);
  std::string expected = file;
  expected.replace(708 * 1024, 708, RecordBytes(1025, "L1025", "", "", {{2, 5, {0, 0, 0, 0, 1}}}));
  expected += RecordBytes(count + 1, "NEW", "", "", {{3, 1, {1, 0, 0, 0, 0}}});
  EXPECT_EQ(Bytes(), expected);
}

// A roster on a network share that goes away: while its folder is gone the calls give
// -1 (the environment's current folder, the fallback, cannot be written either), and
// once it is back the next sign-in is recorded there.
TEST_F(StudentDatabaseTest, AFolderMovedAwayGivesMinusOneUntilItIsBack) {
  fs::create_directories(dir.Path() / "lab");
  env.block = {"ALLUSERSPROFILE=" + (dir.Path() / "lab").string()};
  env.currentFolder = (dir.Path() / "no-such-folder").string();
  ASSERT_EQ(RecordLearnerUse(env, 3, 1, "ANNA", "", ""), 1);

  fs::rename(dir.Path() / "lab", dir.Path() / "away");
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), -1);
  EXPECT_EQ(RecordLearnerUse(env, 3, 1, "BEN", "", ""), -1);
  EXPECT_FALSE(fs::exists(dir.Path() / "lab"));

  fs::rename(dir.Path() / "away", dir.Path() / "lab");
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), 1);
  EXPECT_EQ(RecordLearnerUse(env, 3, 1, "BEN", "", ""), 2);
  EXPECT_EQ(FindLearner(env, "BEN", "", ""), 2);
}

// The process's own storage, with every open held back until the test lets it go, and
// a count of the files closed again.
class HeldBackStorage : public RosterStorage {
 public:
  RosterOpening Open(const std::string& hostPath, RosterAccess access) override {
    std::unique_lock<std::mutex> hold(mutex_);
    changed_.wait(hold, [this] { return released_; });
    hold.unlock();
    RosterOpening opened = real_->Open(hostPath, access);
    if (opened.handle) opened.handle = std::make_unique<Counted>(std::move(opened.handle), *this);
    return opened;
  }
  RosterOpening Create(const std::string& hostPath) override { return real_->Create(hostPath); }
  bool CreateFolder(const std::string& hostPath) override { return real_->CreateFolder(hostPath); }

  void Release() {
    const std::lock_guard<std::mutex> hold(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  void WaitForClosed(int count) {
    std::unique_lock<std::mutex> hold(mutex_);
    changed_.wait(hold, [&] { return closed_ >= count; });
  }

 private:
  class Counted : public RosterHandle {
   public:
    Counted(std::unique_ptr<RosterHandle> inner, HeldBackStorage& owner)
        : inner_(std::move(inner)), owner_(owner) {}
    ~Counted() override {
      inner_.reset();
      const std::lock_guard<std::mutex> hold(owner_.mutex_);
      ++owner_.closed_;
      owner_.changed_.notify_all();
    }
    int64_t ReadAt(uint64_t offset, uint8_t* buffer, size_t size) override {
      return inner_->ReadAt(offset, buffer, size);
    }
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size) override {
      return inner_->WriteAt(offset, data, size);
    }
    bool Close() override { return inner_->Close(); }

   private:
    std::unique_ptr<RosterHandle> inner_;
    HeldBackStorage& owner_;
  };

  std::shared_ptr<RosterStorage> real_ = ProcessRosterStorage();
  std::mutex mutex_;
  std::condition_variable changed_;
  bool released_ = false;
  int closed_ = 0;
};

class HeldBackEnvironment : public test::FakeRosterEnvironment {
 public:
  std::shared_ptr<RosterStorage> Storage() const override { return storage; }
  std::shared_ptr<HeldBackStorage> storage = std::make_shared<HeldBackStorage>();
};

TEST_F(StudentDatabaseTest, ACallThatOverrunsGivesMinusOneAndFinishesByItself) {
  ASSERT_EQ(RecordLearnerUse(env, 3, 1, "ANNA", "", ""), 1);
  std::shared_ptr<HeldBackStorage> storage;
  {
    auto stalled = std::make_unique<HeldBackEnvironment>();
    stalled->systemFolder = env.systemFolder;
    stalled->currentFolder = env.currentFolder;
    storage = stalled->storage;
    EXPECT_EQ(RecordLearnerUse(*stalled, 4, 1, "BEN", "", ""), -1);
    // The caller's environment is gone before the work goes on.
  }
  storage->Release();
  storage->WaitForClosed(1);
  EXPECT_EQ(FindLearner(env, "BEN", "", ""), 2);
}

// Random bytes everywhere (text tails, padding, other slots, a damaged length byte),
// with sound keys in some records: after a use is recorded, exactly the Last byte
// and one counter of each matching record differ from before.
class RosterPreservationTest : public StudentDatabaseTest,
                               public ::testing::WithParamInterface<int> {};

TEST_P(RosterPreservationTest, OnlyTheCountedFieldsChange) {
  std::mt19937 random(static_cast<unsigned>(GetParam()));
  std::uniform_int_distribution<int> byte(0, 255);
  const int count = 6;
  std::string file(708 * count + 100, '\0');
  for (char& c : file) c = static_cast<char>(byte(random));
  auto setKey = [&file](int index, const std::string& name) {
    const size_t at = 708 * static_cast<size_t>(index);
    file[at + 2] = static_cast<char>(name.size());
    file.replace(at + 3, name.size(), name);
    file[at + 38] = 0;
    file[at + 79] = 0;
  };
  setKey(1, "BEN");
  setKey(4, "BEN");
  setKey(2, "BENNY");
  file[708 * 3 + 2] = static_cast<char>(200);  // a length byte beyond its field
  SetBytes(file);

  const int slot = 1 + GetParam() % 26;
  const int level = 1 + GetParam() % 5;
  std::string expected = file;
  for (int index : {1, 4}) {
    const size_t at = 708 * static_cast<size_t>(index) + 84 + 24 * static_cast<size_t>(slot - 1);
    expected[at] = static_cast<char>(level);
    const size_t counter = at + 4 * static_cast<size_t>(level);
    uint32_t value = 0;
    for (size_t b = 0; b < 4; ++b)
      value |= uint32_t{static_cast<uint8_t>(file[counter + b])} << (8 * b);
    ++value;
    for (size_t b = 0; b < 4; ++b)
      expected[counter + b] = static_cast<char>((value >> (8 * b)) & 0xFF);
  }
  const auto id4 = static_cast<int16_t>(static_cast<uint8_t>(file[708 * 4]) |
                                        (static_cast<uint8_t>(file[708 * 4 + 1]) << 8));
  EXPECT_EQ(RecordLearnerUse(env, slot, level, "BEN", "", ""), id4);
  EXPECT_EQ(Bytes(), expected);

  // No match: the file keeps every whole record and gains one over its tail.
  const auto lastId = static_cast<int16_t>(static_cast<uint8_t>(file[708 * 5]) |
                                           (static_cast<uint8_t>(file[708 * 5 + 1]) << 8));
  const int16_t result = RecordLearnerUse(env, slot, level, "ZOE", "", "");
  EXPECT_EQ(result, lastId == -2 ? 0 : static_cast<int16_t>(lastId + 1));
  const std::string after = Bytes();
  ASSERT_EQ(after.size(), 708u * (count + 1));
  EXPECT_EQ(after.substr(0, 708 * count), expected.substr(0, 708 * count));
  EXPECT_EQ(after.substr(708 * count),
            RecordBytes(result, "ZOE", "", "",
                        {{slot,
                          static_cast<uint8_t>(level),
                          {level == 1 ? 1u : 0u, level == 2 ? 1u : 0u, level == 3 ? 1u : 0u,
                           level == 4 ? 1u : 0u, level == 5 ? 1u : 0u}}}));
}

INSTANTIATE_TEST_SUITE_P(Seeds, RosterPreservationTest, ::testing::Range(1, 13));

TEST_F(StudentDatabaseTest, CounterAtItsLimitWraps) {
  SetBytes(RecordBytes(1, "ANNA", "", "", {{2, 3, {0, 0, 0xFFFFFFFFu, 0, 0}}}));
  EXPECT_EQ(RecordLearnerUse(env, 2, 3, "ANNA", "", ""), 1);
  EXPECT_EQ(Bytes(), RecordBytes(1, "ANNA", "", "", {{2, 3, {0, 0, 0, 0, 0}}}));
}

}  // namespace
}  // namespace tazu
