// A roster that cannot be opened for writing: both routines answer -1 and the file
// stays as it was. Tests often run as root, for whom permission bits stop nothing,
// so the permission case drops to an unprivileged user in a child process, and a
// second case uses the immutable attribute, which binds root as well.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "roster/StudentDatabase.h"
#include "tests/base/TempDir.h"
#include "tests/roster/RosterTestSupport.h"

namespace fs = std::filesystem;

namespace tazu {
namespace {

constexpr uid_t kNobody = 65534;
constexpr int kCannotDropPrivileges = 77;

struct Results {
  int16_t found = 0;
  int16_t recorded = 0;
};

class ReadOnlyRosterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir.Path() / "sys");
    env.systemFolder = (dir.Path() / "sys").string();
    env.currentFolder = dir.Str();
    original = test::RecordBytes(1, "ANNA", "", "", {{3, 1, {1, 0, 0, 0, 0}}});
    test::WriteBytes(Roster(), original);
  }
  fs::path Roster() const { return dir.Path() / "sys" / "tazu_students.dat"; }

  Results CallBoth() const {
    return {FindLearner(env, "ANNA", "", ""), RecordLearnerUse(env, 3, 1, "ANNA", "", "")};
  }

  // Runs both routines as an unprivileged user in a child process.
  bool CallBothAsNobody(Results& results) const {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return false;
    const pid_t child = fork();
    if (child == 0) {
      close(pipeEnds[0]);
      if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
        _exit(kCannotDropPrivileges);
      }
      const Results r = CallBoth();
      const bool sent = write(pipeEnds[1], &r, sizeof r) == static_cast<ssize_t>(sizeof r);
      _exit(sent ? 0 : 1);
    }
    close(pipeEnds[1]);
    const bool received =
        read(pipeEnds[0], &results, sizeof results) == static_cast<ssize_t>(sizeof results);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return received && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

  test::TempDir dir;
  test::FakeRosterEnvironment env;
  std::string original;
};

TEST_F(ReadOnlyRosterTest, ReadOnlyPermissionGivesMinusOneFromBoth) {
  fs::permissions(Roster(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  Results results;
  if (geteuid() != 0) {
    results = CallBoth();
  } else {
    // The child must reach the file through folders it may enter.
    fs::permissions(dir.Path(), fs::perms::others_exec, fs::perm_options::add);
    if (!CallBothAsNobody(results)) GTEST_SKIP() << "cannot run as an unprivileged user";
  }
  EXPECT_EQ(results.found, -1);
  EXPECT_EQ(results.recorded, -1);
  EXPECT_EQ(test::ReadBytes(Roster()), original);
  // The same file, writable again, is found: the -1 came from the permission.
  fs::permissions(Roster(), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), 1);
}

// Sets the immutable attribute for the life of the guard; unsupported file systems
// and missing privileges leave `active` false.
class ImmutableGuard {
 public:
  explicit ImmutableGuard(const fs::path& path) : path_(path) { active = Set(true); }
  ~ImmutableGuard() {
    if (active) Set(false);
  }
  bool active = false;

 private:
  bool Set(bool on) const {
    const int fd = open(path_.c_str(), O_RDONLY);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
      flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
      ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
  }
  fs::path path_;
};

TEST_F(ReadOnlyRosterTest, ImmutableFileGivesMinusOneFromBoth) {
  ImmutableGuard guard(Roster());
  if (!guard.active) GTEST_SKIP() << "immutable attribute not available here";
  const Results results = CallBoth();
  EXPECT_EQ(results.found, -1);
  EXPECT_EQ(results.recorded, -1);
  EXPECT_EQ(test::ReadBytes(Roster()), original);
}

TEST_F(ReadOnlyRosterTest, FolderInPlaceOfTheFileGivesMinusOne) {
  fs::remove(Roster());
  fs::create_directory(Roster());
  const Results results = CallBoth();
  EXPECT_EQ(results.found, -1);
  EXPECT_EQ(results.recorded, -1);
  EXPECT_TRUE(fs::is_directory(Roster()));
  EXPECT_TRUE(fs::is_empty(Roster()));
}

}  // namespace
}  // namespace tazu
