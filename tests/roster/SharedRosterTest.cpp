// A roster shared by every account of a POSIX machine: made so that others may write
// it whatever the umask, written in turn by two accounts, never followed through a
// link or into a FIFO, and serialised by a lock that a killed holder cannot keep.
// The second account is `nobody`, reached through setuid in a child process that then
// runs tazu-roster-peer.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "roster/RosterStorage.h"
#include "roster/StudentDatabase.h"
#include "tests/base/TempDir.h"
#include "tests/roster/RosterTestSupport.h"

namespace fs = std::filesystem;

namespace tazu {
namespace {

constexpr uid_t kNobody = 65534;
constexpr mode_t kModeBits = 07777;

mode_t ModeOf(const fs::path& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? (st.st_mode & kModeBits) : 0;
}

// Signs `names` in as nobody: tazu-roster-peer (a copy every account may run) started
// by a child process that gave up root, with ALLUSERSPROFILE naming `profile`, where
// it also leaves its report. The Ids it got, or nothing when it could not run.
std::optional<std::vector<int>> SignInAsNobody(const fs::path& profile,
                                               const std::vector<std::string>& names) {
  const fs::path peer = profile.parent_path() / "tazu-roster-peer";
  std::error_code ec;
  fs::copy_file(TAZU_ROSTER_PEER, peer, fs::copy_options::overwrite_existing, ec);
  fs::permissions(peer, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec, ec);
  const fs::path report = profile / "peer-report.txt";
  fs::remove(report, ec);
  std::vector<std::string> args{peer.string(), "sign", report.string()};
  args.insert(args.end(), names.begin(), names.end());
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::string profileEntry = "ALLUSERSPROFILE=" + profile.string();
  char* envp[] = {profileEntry.data(), nullptr};

  // Only async-signal-safe calls between fork and exec: the parent has threads.
  const pid_t child = fork();
  if (child == 0) {
    if (setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0) {
      execve(argv[0], argv.data(), envp);
    }
    _exit(1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  std::vector<int> ids;
  std::ifstream in(report);
  for (std::string name, id; std::getline(in, name, '\t') && std::getline(in, id);) {
    ids.push_back(std::stoi(id));
  }
  return ids;
}

// A child process that takes the roster lock on the documented byte, as any other
// program of the suite may, and keeps it until it is killed.
class LockHolder {
 public:
  LockHolder(const fs::path& roster, short type) {
    int ends[2];
    if (pipe(ends) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ends[0]);
      const int fd = open(roster.c_str(), O_RDWR);
      struct flock lock {};
      lock.l_type = type;
      lock.l_whence = SEEK_SET;
      lock.l_start = static_cast<off_t>(kRosterLockOffset);
      lock.l_len = 1;
      const char held = fd >= 0 && fcntl(fd, F_OFD_SETLK, &lock) == 0 ? 'y' : 'n';
      if (write(ends[1], &held, 1) != 1) _exit(1);
      for (;;) pause();
    }
    close(ends[1]);
    char held = 'n';
    held_ = read(ends[0], &held, 1) == 1 && held == 'y';
    close(ends[0]);
  }
  ~LockHolder() { Kill(); }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

  bool Held() const { return held_; }
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  bool held_ = false;
};

class SharedRosterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir.Path() / "profile");
    env.block = {"ALLUSERSPROFILE=" + (dir.Path() / "profile").string()};
    env.currentFolder = (dir.Path() / "no-such-folder").string();
  }
  fs::path Documents() const { return dir.Path() / "profile" / "documents"; }
  fs::path Roster() const { return Documents() / kRosterFileName; }

  test::TempDir dir;
  test::FakeRosterEnvironment env;
};

TEST_F(SharedRosterTest, NewRosterAndFolderAreSharedWhateverTheUmask) {
  const mode_t previous = umask(077);
  const int16_t id = RecordLearnerUse(env, 3, 1, "ANNA", "", "");
  umask(previous);
  EXPECT_EQ(id, 1);
  EXPECT_EQ(ModeOf(Documents()), 01777u);
  EXPECT_EQ(ModeOf(Roster()), 0666u);
}

TEST_F(SharedRosterTest, TwoAccountsTakeTurnsOnOneRoster) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can act as a second account";
  // The documents folder is made by this account, the roster in it by nobody: with
  // fs.protected_regular, an O_CREAT open of it by this account would be refused.
  fs::permissions(dir.Path(), fs::perms::others_read | fs::perms::others_exec,
                  fs::perm_options::add);
  fs::permissions(dir.Path() / "profile", fs::perms::all);
  RosterFolder(env);
  ASSERT_TRUE(fs::is_directory(Documents()));

  const auto first = SignInAsNobody(dir.Path() / "profile", {"ANNA"});
  ASSERT_TRUE(first) << "cannot run as nobody";
  EXPECT_EQ(*first, std::vector<int>{1});
  struct stat st {};
  ASSERT_EQ(stat(Roster().c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, kNobody);
  EXPECT_EQ(st.st_mode & kModeBits, 0666u);

  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), 1);
  EXPECT_EQ(RecordLearnerUse(env, 4, 1, "BEN", "", ""), 2);

  const auto second = SignInAsNobody(dir.Path() / "profile", {"BEN", "CARL"});
  ASSERT_TRUE(second);
  EXPECT_EQ(*second, (std::vector<int>{2, 3}));
  EXPECT_EQ(fs::file_size(Roster()), 3u * 708u);
}

TEST_F(SharedRosterTest, LinksAndFifosInPlaceOfTheRosterGiveMinusOne) {
  fs::create_directories(Documents());
  const fs::path elsewhere = dir.Path() / "elsewhere.dat";
  const std::string original = test::RecordBytes(1, "ANNA", "", "", {});
  test::WriteBytes(elsewhere, original);

  fs::create_symlink(elsewhere, Roster());
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), -1);
  EXPECT_EQ(RecordLearnerUse(env, 3, 1, "ANNA", "", ""), -1);
  EXPECT_EQ(RecordLearnerUse(env, 3, 1, "BEN", "", ""), -1);
  EXPECT_EQ(test::ReadBytes(elsewhere), original);

  // A link to nothing: following it would make the file it names.
  fs::remove(Roster());
  fs::create_symlink(dir.Path() / "made-through-a-link.dat", Roster());
  EXPECT_EQ(RecordLearnerUse(env, 3, 1, "BEN", "", ""), -1);
  EXPECT_FALSE(fs::exists(dir.Path() / "made-through-a-link.dat"));

  fs::remove(Roster());
  ASSERT_EQ(mkfifo(Roster().c_str(), 0666), 0);
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), -1);
  EXPECT_EQ(RecordLearnerUse(env, 3, 1, "BEN", "", ""), -1);
  EXPECT_TRUE(fs::is_fifo(fs::symlink_status(Roster())));
}

TEST_F(SharedRosterTest, AReaderLetsLookUpsThroughAndAKilledHolderBlocksNobody) {
  ASSERT_EQ(RecordLearnerUse(env, 3, 1, "ANNA", "", ""), 1);
  const std::string before = test::ReadBytes(Roster());

  LockHolder reader(Roster(), F_RDLCK);
  ASSERT_TRUE(reader.Held());
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), 1);
  // A writer gives up after its bounded wait.
  EXPECT_EQ(RecordLearnerUse(env, 3, 1, "BEN", "", ""), -1);
  EXPECT_EQ(test::ReadBytes(Roster()), before);

  // Killed while holding it: the lock goes with the process.
  reader.Kill();
  EXPECT_EQ(RecordLearnerUse(env, 3, 1, "BEN", "", ""), 2);
  EXPECT_EQ(FindLearner(env, "ANNA", "", ""), 1);
}

}  // namespace
}  // namespace tazu
