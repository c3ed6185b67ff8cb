// The soak tests' measuring stick: each figure moves when what it counts changes, so a
// soak that reports no growth has really looked.
#include "tests/soak/ProcessFigures.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace tazu::test {
namespace {

constexpr size_t kTouchedBytes = 16u << 20;
constexpr int64_t kTouchedKbAtLeast = 12 * 1024;

TEST(ProcessFigures, EachFigureCountsWhatItNames) {
  const ProcessFigures before = ProcessFigures::Now();
  EXPECT_GE(before.openFiles, 3);  // standard input, output and error at least
  EXPECT_GE(before.threads, 1);
  EXPECT_EQ(before.zombies, 0);
  EXPECT_GT(before.residentKb, 0);

  const int fd = open("/proc/self/status", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  std::mutex mutex;
  std::condition_variable wake;
  bool done = false;
  std::thread sleeper([&] {
    std::unique_lock lock(mutex);
    wake.wait(lock, [&] { return done; });
  });
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  std::vector<char> memory(kTouchedBytes);
  std::memset(memory.data(), 1, memory.size());

  ProcessFigures during = ProcessFigures::Now();
  for (int i = 0; i < 3000 && during.zombies == 0; ++i) {  // until the child has ended
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    during = ProcessFigures::Now();
  }
  EXPECT_EQ(during.openFiles, before.openFiles + 1);
  EXPECT_EQ(during.threads, before.threads + 1);
  EXPECT_EQ(during.zombies, 1);
  EXPECT_GE(during.residentKb - before.residentKb, kTouchedKbAtLeast);
  EXPECT_EQ(during.Line("probe").rfind("SOAK: probe fds=", 0), 0u);

  waitpid(child, nullptr, 0);
  close(fd);
  {
    std::lock_guard lock(mutex);
    done = true;
  }
  wake.notify_one();
  sleeper.join();
  const ProcessFigures after = ProcessFigures::Now();
  EXPECT_EQ(after.openFiles, before.openFiles);
  EXPECT_EQ(after.threads, before.threads);
  EXPECT_EQ(after.zombies, 0);
}

}  // namespace
}  // namespace tazu::test
