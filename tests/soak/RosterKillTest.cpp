// The learner roster under a writer that is killed without warning: a program signing
// learners in one after another is ended with SIGKILL at a random moment, thirty times
// over the same roster. After every kill the file must hold exactly the learners added
// so far, whole and in order, plus at most the beginning of the one being written;
// every learner whose sign-in completed is found with its Id; and the next sign-in
// works and lays its record over a torn one, whether a kill left it or the test planted
// it.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "base/Paths.h"
#include "roster/StudentDatabase.h"
#include "tests/base/TempDir.h"
#include "tests/roster/RosterTestSupport.h"

extern char** environ;

namespace fs = std::filesystem;

namespace tazu {
namespace {

constexpr int kKills = 30;
constexpr int kShortestDelayMs = 5;
constexpr int kLongestDelayMs = 200;
constexpr size_t kRecordBytes = 708;
constexpr int kEnglishSlot = 4;
constexpr int kFirstLevel = 1;
constexpr int kReadChunk = 4096;
constexpr int kPlantPrefixEvery = 5;
constexpr int kPlantGarbageEvery = 7;

std::string LearnerName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "Learner %05d", number);
  return name;
}

// The record the writer makes for learner `number`: its Id is its number, since every
// learner is added once and in order.
std::string ExpectedRecord(int number) {
  return test::RecordBytes(static_cast<int16_t>(number), LearnerName(number), "", "",
                           {{kEnglishSlot, 1, {1, 0, 0, 0, 0}}});
}

int IdAt(const std::string& bytes, size_t record) {
  const size_t at = record * kRecordBytes;
  return static_cast<int16_t>(static_cast<uint8_t>(bytes[at]) |
                              (static_cast<uint8_t>(bytes[at + 1]) << 8));
}

unsigned Seed() {
  if (const char* fixed = getenv("TAZU_SOAK_SEED")) return static_cast<unsigned>(std::stoul(fixed));
  return std::random_device{}();
}

struct WriterRun {
  std::string output;  // what it printed before it died
  int status = 0;
};

// Starts the writer at learner `first`, kills it after `delayMs` and collects what it
// printed; its output is read as it comes so that it never waits on a full pipe.
WriterRun RunAndKill(int first, int delayMs) {
  WriterRun run;
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "no pipe";
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  const std::string firstText = std::to_string(first);
  char* argv[] = {const_cast<char*>(TAZU_ROSTER_WRITER), const_cast<char*>(firstText.c_str()),
                  nullptr};
  pid_t pid = 0;
  const int error = posix_spawn(&pid, TAZU_ROSTER_WRITER, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (error != 0) {
    close(out[0]);
    ADD_FAILURE() << "cannot start " << TAZU_ROSTER_WRITER;
    return run;
  }
  const auto killAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs);
  char chunk[kReadChunk];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        killAt - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{out[0], POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    const ssize_t got = read(out[0], chunk, sizeof chunk);
    if (got <= 0) break;  // it ended by itself
    run.output.append(chunk, static_cast<size_t>(got));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &run.status, 0);
  for (ssize_t got; (got = read(out[0], chunk, sizeof chunk)) > 0;) {
    run.output.append(chunk, static_cast<size_t>(got));
  }
  close(out[0]);
  return run;
}

TEST(RosterUnderKill, EveryCompletedSignInSurvivesAKillMidWrite) {
  test::TempDir dir;
  const fs::path profile = dir.Path() / "profile";
  fs::create_directories(profile);
  // The roster of both the writer and this test: the launcher's own way of finding it.
  setenv("ALLUSERSPROFILE", profile.string().c_str(), 1);
  const std::string roster = ResolvePath(RosterFilePath(DefaultRosterEnvironment()));

  const unsigned seed = Seed();
  std::cout << "SOAK: roster seed=" << seed << " (set TAZU_SOAK_SEED to repeat)" << std::endl;
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> delays(kShortestDelayMs, kLongestDelayMs);

  int next = 1;  // the first learner the next writer signs in
  int printedTotal = 0;
  int tornTails = 0;
  int planted = 0;
  for (int kill = 1; kill <= kKills; ++kill) {
    const int delay = delays(random);
    const WriterRun run = RunAndKill(next, delay);
    ASSERT_TRUE(WIFSIGNALED(run.status) && WTERMSIG(run.status) == SIGKILL)
        << "the writer ended by itself, status " << run.status;

    // The file: learners 1..whole, each exactly as written, then a torn beginning of
    // the next one at most.
    const std::string bytes = test::ReadBytes(roster);
    const int whole = static_cast<int>(bytes.size() / kRecordBytes);
    const size_t tail = bytes.size() % kRecordBytes;
    for (int i = 1; i <= whole; ++i) {
      const size_t at = static_cast<size_t>(i - 1) * kRecordBytes;
      ASSERT_EQ(IdAt(bytes, static_cast<size_t>(i - 1)), i) << "record " << i << ", kill " << kill;
      ASSERT_TRUE(bytes.compare(at, kRecordBytes, ExpectedRecord(i)) == 0)
          << "record " << i << " damaged, kill " << kill;
    }
    if (tail > 0) {
      ++tornTails;
      EXPECT_TRUE(bytes.compare(bytes.size() - tail, tail, ExpectedRecord(whole + 1), 0, tail) == 0)
          << "the torn tail is not the beginning of learner " << whole + 1;
    }
    EXPECT_GE(whole, next - 1) << "learners added before this writer started are gone";

    // Every sign-in the writer reported is on the roster under its Id.
    std::istringstream lines(run.output);
    std::string line;
    int printed = 0;
    while (std::getline(lines, line)) {
      const size_t tab = line.find('\t');
      ASSERT_NE(tab, std::string::npos) << "half a line before the kill? " << line;
      const std::string name = line.substr(0, tab);
      const int id = std::stoi(line.substr(tab + 1));
      EXPECT_EQ(name, LearnerName(id));
      EXPECT_LE(id, whole) << name << " was reported but is not whole in the file";
      EXPECT_EQ(FindLearner(name, "", ""), id) << name;
      ++printed;
    }
    printedTotal += printed;

    // A kill lands between two whole writes in practice (a record is one write call),
    // so now and then a torn record is planted as a write cut short would leave it:
    // the beginning of the next record, or bytes of no meaning (a power cut).
    if (tail == 0 && (kill % kPlantPrefixEvery == 0 || kill % kPlantGarbageEvery == 0)) {
      const size_t length = std::uniform_int_distribution<size_t>(1, kRecordBytes - 1)(random);
      const std::string torn = kill % kPlantPrefixEvery == 0
                                   ? ExpectedRecord(whole + 1).substr(0, length)
                                   : std::string(length, '\xFF');
      std::ofstream(roster, std::ios::binary | std::ios::app) << torn;
      ++planted;
    }

    // The next sign-in after the kill: not found, added with the next Id over the torn
    // tail, and found.
    const std::string newcomer = LearnerName(whole + 1);
    EXPECT_EQ(FindLearner(newcomer, "", ""), -1);
    ASSERT_EQ(RecordLearnerUse(kEnglishSlot, kFirstLevel, newcomer, "", ""), whole + 1);
    EXPECT_EQ(FindLearner(newcomer, "", ""), whole + 1);
    EXPECT_EQ(fs::file_size(roster), static_cast<uintmax_t>(whole + 1) * kRecordBytes);
    next = whole + 2;

    std::cout << "SOAK: roster kill " << kill << " after " << delay << " ms: printed " << printed
              << ", file " << whole << " records + " << tail << " torn bytes" << std::endl;
  }
  const std::string bytes = test::ReadBytes(roster);
  std::cout << "SOAK: roster kills=" << kKills << " learners=" << bytes.size() / kRecordBytes
            << " reported_by_writers=" << printedTotal << " torn_by_kills=" << tornTails
            << " torn_planted=" << planted << std::endl;
  EXPECT_EQ(bytes.size() % kRecordBytes, 0u);
  EXPECT_EQ(FindLearner(LearnerName(1), "", ""), 1);
  EXPECT_GT(printedTotal, 0) << "no writer got as far as one learner: the kills tell nothing";
}

}  // namespace
}  // namespace tazu
