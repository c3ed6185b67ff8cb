// The session guardian on its own: what it restores when its launcher dies, that it
// stays silent on a normal end, leaves no zombie and holds none of the launcher's
// descriptors.
#include "platform/sdl/SessionGuardian.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "XServer.h"
#include "tests/base/TempDir.h"

namespace tazu {
namespace {

using test::TempDir;

// How long a wait for what must come may last: a loaded machine is slow, and only a
// broken guardian takes this long.
constexpr int kWaitMs = 30000;

bool WaitForPath(const std::string& path, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!std::filesystem::exists(path)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// A restorer for tests: writes the records it got to the file named by "file", once
// the file named by "gate" exists when that record is set.
void WriteRecords(const SessionGuardian::Records& records) {
  const auto file = records.find("file");
  if (file == records.end()) return;
  if (const auto gate = records.find("gate"); gate != records.end()) {
    WaitForPath(gate->second, kWaitMs);
  }
  std::ofstream out(file->second + ".tmp");
  for (const auto& [key, value] : records) out << key << '=' << value << '\n';
  out.close();
  std::filesystem::rename(file->second + ".tmp", file->second);  // appears whole
}

std::string WaitForFile(const std::string& path, int timeoutMs) {
  if (!WaitForPath(path, timeoutMs)) return "(no file)";
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Reaped(pid_t pid) { return kill(pid, 0) != 0 && errno == ESRCH; }

// Runs `launcher` in a child process that then kills itself with SIGKILL.
template <typename Launcher>
void RunAndKill(Launcher launcher) {
  test::AdoptOrphans();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    launcher();
    kill(getpid(), SIGKILL);
    _exit(1);
  }
  int status = 0;
  ASSERT_TRUE(test::WaitForExit(child, kWaitMs, status));
  EXPECT_TRUE(WIFSIGNALED(status));
}

TEST(SessionGuardianTest, RestoresTheRecordsLeftWhenTheLauncherIsKilled) {
  TempDir dir;
  const std::string file = (dir.Path() / "restored").string();
  RunAndKill([&] {
    SessionGuardian guardian(&WriteRecords);
    guardian.Set("file", file);
    guardian.Set("mode", "1 2 3");
    guardian.Set("pointer", "3 2 1");
    guardian.Set("pointer", "");  // put back already
    guardian.Set("mode", "4 5 6");
    guardian.Set("long", std::string(20000, 'x'));  // over-long: dropped whole
  });
  EXPECT_EQ(WaitForFile(file, kWaitMs), "file=" + file + "\nmode=4 5 6\n");
  EXPECT_TRUE(test::ReapChildrenExcept({}, kWaitMs));  // and the guardian ended
}

TEST(SessionGuardianTest, ANormalEndRestoresNothingAndLeavesNoZombie) {
  TempDir dir;
  const std::string file = (dir.Path() / "restored").string();
  pid_t pid = 0;
  {
    SessionGuardian guardian(&WriteRecords);
    ASSERT_TRUE(guardian.Active());
    pid = guardian.Pid();
    guardian.Set("file", file);
    guardian.Set("mode", "1");
    guardian.Set("mode", "");
    guardian.Set("file", "");
  }
  EXPECT_TRUE(Reaped(pid));  // so it can no longer write anything
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST(SessionGuardianTest, ARecordStillSetAtANormalEndIsRestoredOnceMore) {
  TempDir dir;
  const std::string file = (dir.Path() / "restored").string();
  {
    SessionGuardian guardian(&WriteRecords);
    guardian.Set("file", file);
    guardian.Set("docks", "7");
  }  // Stop waits for the guardian, so the file is there now
  EXPECT_TRUE(std::filesystem::exists(file));
}

TEST(SessionGuardianTest, AGuardianThatDiedIsReapedWhileTheLauncherRuns) {
  SessionGuardian guardian(&WriteRecords);
  ASSERT_TRUE(guardian.Active());
  const pid_t pid = guardian.Pid();
  kill(pid, SIGKILL);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
  while (guardian.Active() && std::chrono::steady_clock::now() < deadline) {
    guardian.Set("mode", "1");
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_FALSE(guardian.Active());
  EXPECT_TRUE(Reaped(pid));
  guardian.Set("mode", "2");  // harmless now
}

TEST(SessionGuardianTest, HoldsNoneOfTheLaunchersDescriptors) {
  // The launcher's output is a pipe (as in `launcher | tee log`): its reader must see
  // the end as soon as the launcher is gone, even while the guardian still works: its
  // restore waits here until the end has been seen.
  TempDir dir;
  const std::string file = (dir.Path() / "restored").string();
  const std::string gate = (dir.Path() / "gate").string();
  test::AdoptOrphans();
  int output[2];
  ASSERT_EQ(pipe(output), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(output[0]);
    dup2(output[1], STDOUT_FILENO);
    SessionGuardian guardian(&WriteRecords);
    guardian.Set("file", file);
    guardian.Set("gate", gate);
    kill(getpid(), SIGKILL);
    _exit(1);
  }
  close(output[1]);
  pollfd fd{output[0], POLLIN, 0};
  const bool ended = poll(&fd, 1, kWaitMs) == 1;
  std::ofstream(gate).close();  // whatever happened, the guardian may go on
  ASSERT_TRUE(ended) << "the guardian holds the launcher's output";
  char c = 0;
  EXPECT_EQ(read(output[0], &c, 1), 0);  // end of file, not a byte
  close(output[0]);
  int status = 0;
  EXPECT_TRUE(test::WaitForExit(child, kWaitMs, status));
  EXPECT_NE(WaitForFile(file, kWaitMs), "(no file)");  // and the restore still came
  EXPECT_TRUE(test::ReapChildrenExcept({}, kWaitMs));
}

}  // namespace
}  // namespace tazu
