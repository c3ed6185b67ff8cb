// Several processes on one roster, on POSIX and on Windows alike: processes signing
// learners in at the same time lose none and never share an Id, and a process holding
// the roster lock makes the others give -1 until it lets go. The other processes are
// tazu-roster-peer, reaching the roster through ALLUSERSPROFILE.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <aclapi.h>
#include <process.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/Paths.h"
#include "roster/RosterStorage.h"
#include "roster/StudentDatabase.h"
#include "tests/base/TempDir.h"
#include "tests/roster/RosterTestSupport.h"

#ifndef _WIN32
extern char** environ;
#endif

namespace fs = std::filesystem;

namespace tazu {
namespace {

#ifdef _WIN32
constexpr int kSigners = 2;  // processes start slowly under Wine
#else
constexpr int kSigners = 8;
#endif
constexpr int kLearnersEach = 50;
constexpr size_t kRecordBytes = 708;
constexpr std::chrono::milliseconds kPoll{10};

// A started peer process.
class Peer {
 public:
  explicit Peer(std::vector<std::string> args) {
#ifdef _WIN32
    // The C library joins the arguments with spaces: quote those that hold one.
    std::vector<std::string> quoted;
    for (const std::string& arg : args) {
      quoted.push_back(arg.find(' ') == std::string::npos ? arg : "\"" + arg + "\"");
    }
    std::vector<const char*> argv{TAZU_ROSTER_PEER};
    for (const std::string& arg : quoted) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    handle_ = _spawnv(_P_NOWAIT, TAZU_ROSTER_PEER, argv.data());
    started_ = handle_ != -1;
#else
    std::vector<char*> argv{const_cast<char*>(TAZU_ROSTER_PEER)};
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    started_ = posix_spawn(&pid_, TAZU_ROSTER_PEER, nullptr, nullptr, argv.data(), environ) == 0;
#endif
  }
  ~Peer() {
    if (started_ && !waited_) Wait();
  }
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;

  bool Started() const { return started_; }

  bool Running() {
#ifdef _WIN32
    DWORD code = 0;
    return GetExitCodeProcess(reinterpret_cast<HANDLE>(handle_), &code) && code == STILL_ACTIVE;
#else
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
    waited_ = true;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return false;
#endif
  }

  // Its exit code.
  int Wait() {
    if (waited_) return exitCode_;
    waited_ = true;
#ifdef _WIN32
    int status = -1;
    _cwait(&status, handle_, 0);
    exitCode_ = status;
#else
    int status = 0;
    waitpid(pid_, &status, 0);
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return exitCode_;
  }

 private:
#ifdef _WIN32
  intptr_t handle_ = -1;
#else
  pid_t pid_ = -1;
#endif
  bool started_ = false;
  bool waited_ = false;
  int exitCode_ = -1;
};

std::string OutName(int peer) { return "peer" + std::to_string(peer) + ".txt"; }

void SetProfile(const std::string& folder) {
#ifdef _WIN32
  _putenv_s("ALLUSERSPROFILE", folder.c_str());
#else
  setenv("ALLUSERSPROFILE", folder.c_str(), 1);
#endif
}

int IdAt(const std::string& bytes, size_t record) {
  const size_t at = record * kRecordBytes;
  return static_cast<int16_t>(static_cast<uint8_t>(bytes[at]) |
                              (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

std::string NameAt(const std::string& bytes, size_t record) {
  const size_t at = record * kRecordBytes + 2;
  return bytes.substr(at + 1, static_cast<uint8_t>(bytes[at]));
}

// True when the sentinel byte is locked by someone else, asked the system's own way.
bool SentinelLockedElsewhere(const std::string& roster) {
#ifdef _WIN32
  const HANDLE file =
      CreateFileA(roster.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(kRosterLockOffset);
  const bool refused = !LockFileEx(file, LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) &&
                       GetLastError() == ERROR_LOCK_VIOLATION;
  if (!refused) UnlockFileEx(file, 0, 1, 0, &at);
  CloseHandle(file);
  return refused;
#else
  const int fd = open(roster.c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct flock lock {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = static_cast<off_t>(kRosterLockOffset);
  lock.l_len = 1;
  const bool locked = fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type == F_WRLCK;
  close(fd);
  return locked;
#endif
}

class RosterProcessesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir.Path() / "profile");
    SetProfile((dir.Path() / "profile").string());
    roster = ResolvePath(RosterFilePath(DefaultRosterEnvironment()));
  }
  void TearDown() override { SetProfile(""); }

  test::TempDir dir;
  std::string roster;
};

// A sign-in may be refused (-1) when the lock is not had in time, as on a machine
// slowed down by a sanitizer; every one that returned an Id must be in the file.
TEST_F(RosterProcessesTest, ProcessesSigningInTogetherLoseNoLearner) {
  std::vector<std::unique_ptr<Peer>> peers;
  for (int peer = 1; peer <= kSigners; ++peer) {
    std::vector<std::string> args{"sign", (dir.Path() / OutName(peer)).string()};
    for (int number = 1; number <= kLearnersEach; ++number) {
      args.push_back("P" + std::to_string(peer) + "-" + std::to_string(number));
    }
    peers.push_back(std::make_unique<Peer>(args));
    ASSERT_TRUE(peers.back()->Started());
  }
  for (auto& peer : peers) EXPECT_EQ(peer->Wait(), 0);

  const std::string bytes = test::ReadBytes(roster);
  EXPECT_EQ(bytes.size() % kRecordBytes, 0u);
  std::set<int> ids;
  for (size_t i = 0; i < bytes.size() / kRecordBytes; ++i) {
    EXPECT_TRUE(ids.insert(IdAt(bytes, i)).second) << "Id " << IdAt(bytes, i) << " given twice";
  }
  int refused = 0;
  for (int peer = 1; peer <= kSigners; ++peer) {
    std::ifstream out(dir.Path() / OutName(peer));
    int lines = 0;
    for (std::string name, id; std::getline(out, name, '\t') && std::getline(out, id); ++lines) {
      if (std::stoi(id) == -1) {
        ++refused;
        continue;
      }
      int found = 0;
      for (size_t i = 0; i < bytes.size() / kRecordBytes; ++i) {
        if (NameAt(bytes, i) == name) found += IdAt(bytes, i) == std::stoi(id) ? 1 : 2;
      }
      EXPECT_EQ(found, 1) << name << " with Id " << id << " is not once in the roster";
    }
    EXPECT_EQ(lines, kLearnersEach);
  }
  EXPECT_LT(refused, kSigners * kLearnersEach / 2) << "too few sign-ins to tell anything";
  std::cout << kSigners << " processes, " << kSigners * kLearnersEach << " sign-ins, " << refused
            << " refused, " << bytes.size() / kRecordBytes << " records" << std::endl;
}

TEST_F(RosterProcessesTest, ALockHeldElsewhereGivesMinusOneUntilReleased) {
  ASSERT_EQ(RecordLearnerUse(DefaultRosterEnvironment(), 3, 1, "ANNA", "", ""), 1);
  const std::string before = test::ReadBytes(roster);
  const std::string ready = (dir.Path() / "ready").string();
  const std::string release = (dir.Path() / "release").string();

  Peer holder({"hold", roster, ready, release});
  ASSERT_TRUE(holder.Started());
  while (!fs::exists(ready) && holder.Running()) std::this_thread::sleep_for(kPoll);
  ASSERT_TRUE(fs::exists(ready)) << "the peer could not take the lock";
  EXPECT_TRUE(SentinelLockedElsewhere(roster));

  EXPECT_EQ(FindLearner(DefaultRosterEnvironment(), "ANNA", "", ""), -1);
  EXPECT_EQ(RecordLearnerUse(DefaultRosterEnvironment(), 3, 1, "BEN", "", ""), -1);
  EXPECT_EQ(test::ReadBytes(roster), before);

  std::ofstream(release) << "go\n";
  EXPECT_EQ(holder.Wait(), 0);
  EXPECT_FALSE(SentinelLockedElsewhere(roster));
  EXPECT_EQ(RecordLearnerUse(DefaultRosterEnvironment(), 3, 1, "BEN", "", ""), 2);
  EXPECT_EQ(FindLearner(DefaultRosterEnvironment(), "ANNA", "", ""), 1);
}

#ifdef _WIN32
PSID UsersSid() {
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID users = nullptr;
  AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0,
                           0, 0, 0, 0, 0, &users);
  return users;
}

// The access mask the file's access list grants `sid` in allowing entries.
DWORD GrantedTo(const std::string& path, PSID sid) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return 0;
  }
  DWORD mask = 0;
  for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) continue;
    const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    if (allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
        EqualSid(const_cast<DWORD*>(&allowed->SidStart), sid)) {
      mask |= allowed->Mask;
    }
  }
  LocalFree(descriptor);
  return mask;
}

// Whether this system keeps an entry added to a file's access list at all (Wine keeps
// them only where it can store them beside the file).
bool KeepsAccessLists(const std::string& probe, PSID sid) {
  std::ofstream(probe) << "probe";
  EXPLICIT_ACCESSA access{};
  access.grfAccessPermissions = GENERIC_READ;
  access.grfAccessMode = GRANT_ACCESS;
  access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
  access.Trustee.ptstrName = static_cast<LPSTR>(sid);
  PACL dacl = nullptr;
  if (SetEntriesInAclA(1, &access, nullptr, &dacl) != ERROR_SUCCESS) return false;
  SetNamedSecurityInfoA(const_cast<char*>(probe.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                        nullptr, nullptr, dacl, nullptr);
  LocalFree(dacl);
  return GrantedTo(probe, sid) != 0;
}

// The file a first sign-in makes grants Modify to BUILTIN\Users, named by its SID.
TEST_F(RosterProcessesTest, ANewRosterGrantsModifyToTheUsersGroup) {
  const PSID users = UsersSid();
  ASSERT_NE(users, nullptr);
  if (!KeepsAccessLists((dir.Path() / "probe.txt").string(), users)) {
    FreeSid(users);
    GTEST_SKIP() << "this system keeps no access lists on files";
  }
  ASSERT_EQ(RecordLearnerUse(DefaultRosterEnvironment(), 3, 1, "ANNA", "", ""), 1);
  constexpr DWORD kModify = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
  EXPECT_EQ(GrantedTo(roster, users) & kModify, kModify);
  FreeSid(users);
}
#endif

}  // namespace
}  // namespace tazu
