// The learner roster under writers that are killed without warning and under many
// writers at once.
//
// One writer, killed thirty times: a program signing learners in one after another is
// ended with SIGKILL at a random moment over the same roster. After every kill the
// file must hold exactly the learners added so far, whole and in order, plus at most
// the beginning of the one being written; every learner whose sign-in completed is
// found with its Id; and the next sign-in works and lays its record over a torn one,
// whether a kill left it or the test planted it.
//
// Many writers: eight processes sign distinct learners in and two count further uses
// of ten shared learners, for five seconds, on a roster that does not exist when they
// start; then the same again while one signer after another is killed at random
// moments and started anew. Every learner whose sign-in returned an Id must be in the
// file with that Id, no two records may share an Id, every counted use must be in the
// tallies, and no torn record may remain.
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
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <set>
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

// ---- many writers at once ----

constexpr int kSigners = 8;
constexpr int kCounters = 2;
constexpr int kCountedLearners = 10;
constexpr int kRunMs = 5000;
constexpr int kCountedSlot = 7;
constexpr int kCountedLevel = 2;
constexpr size_t kNameOffset = 2;
constexpr size_t kCountedTallyOffset = 84 + 24 * (kCountedSlot - 1) + 4 * kCountedLevel;
constexpr int kPollMs = 5;

// A writer program whose standard output is read as it comes; `output` gathers what
// all its runs printed.
struct Writer {
  explicit Writer(std::vector<std::string> arguments) : args(std::move(arguments)) {}
  std::vector<std::string> args;
  pid_t pid = -1;
  int out = -1;
  std::string output;
};

bool Start(Writer& writer) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
  std::vector<char*> argv{const_cast<char*>(TAZU_ROSTER_WRITER)};
  for (std::string& arg : writer.args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int error =
      posix_spawn(&writer.pid, TAZU_ROSTER_WRITER, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(ends[1]);
  if (error != 0) {
    close(ends[0]);
    return false;
  }
  writer.out = ends[0];
  return true;
}

// Reads what is there; at the end of its output reaps the writer and returns false.
bool Collect(Writer& writer) {
  char chunk[kReadChunk];
  const ssize_t got = read(writer.out, chunk, sizeof chunk);
  if (got > 0) {
    writer.output.append(chunk, static_cast<size_t>(got));
    return true;
  }
  close(writer.out);
  writer.out = -1;
  int status = 0;
  waitpid(writer.pid, &status, 0);
  writer.pid = -1;
  return false;
}

// Reads every running writer's output until all have ended, calling `tick` between
// reads.
void Supervise(std::vector<Writer>& writers, const std::function<void()>& tick) {
  for (;;) {
    std::vector<pollfd> fds;
    std::vector<Writer*> running;
    for (Writer& writer : writers) {
      if (writer.out < 0) continue;
      fds.push_back({writer.out, POLLIN, 0});
      running.push_back(&writer);
    }
    if (fds.empty()) return;
    poll(fds.data(), fds.size(), kPollMs);
    for (size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].revents != 0) Collect(*running[i]);
    }
    if (tick) tick();
  }
}

struct Line {
  std::string name;
  int id;
};

std::vector<Line> Lines(const std::string& output) {
  std::vector<Line> lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    lines.push_back({line.substr(0, tab), std::stoi(line.substr(tab + 1))});
  }
  return lines;
}

std::string CountedName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "Counted %02d", number);
  return name;
}

std::string SignerPrefix(int signer) { return "Signer " + std::to_string(signer) + " - "; }

struct Figures {
  int signedIn = 0;
  int refused = 0;
  int counted = 0;
  size_t records = 0;
};

// Counts the problems of one kind and describes the first few.
class Problems {
 public:
  explicit Problems(const char* kind) : kind_(kind) {}
  ~Problems() { EXPECT_EQ(count_, 0) << count_ << " " << kind_ << ", such as:" << examples_; }
  Problems(const Problems&) = delete;
  Problems& operator=(const Problems&) = delete;
  void Add(const std::string& example) {
    if (++count_ <= kExamples) examples_ += "\n  " + example;
  }

 private:
  static constexpr int kExamples = 5;
  const char* kind_;
  int count_ = 0;
  std::string examples_;
};

// Every check of the file against what the writers reported.
Figures CheckAgainstReports(const std::string& bytes, const std::vector<Writer>& writers) {
  Figures figures;
  figures.records = bytes.size() / kRecordBytes;
  EXPECT_EQ(bytes.size() % kRecordBytes, 0u) << "a torn record is left";
  std::map<std::string, std::vector<size_t>> byName;
  std::set<int> ids;
  {
    Problems shared("Ids given twice");
    for (size_t i = 0; i < figures.records; ++i) {
      const size_t at = i * kRecordBytes;
      const auto length = static_cast<size_t>(static_cast<uint8_t>(bytes[at + kNameOffset]));
      byName[bytes.substr(at + kNameOffset + 1, length)].push_back(i);
      if (!ids.insert(IdAt(bytes, i)).second) shared.Add("Id " + std::to_string(IdAt(bytes, i)));
    }
  }
  std::map<std::string, int> counts;
  Problems lost("signed-in learners missing, doubled or under another Id");
  for (const Writer& writer : writers) {
    const bool counter = writer.args[0] == "count";
    for (const Line& line : Lines(writer.output)) {
      if (counter) {
        ++counts[line.name];
        ++figures.counted;
      } else if (line.id == -1) {
        ++figures.refused;
      } else {
        ++figures.signedIn;
        const std::vector<size_t>& found = byName[line.name];
        if (found.size() != 1 || IdAt(bytes, found[0]) != line.id) {
          lost.Add(line.name + " reported with Id " + std::to_string(line.id) + ", in the file " +
                   std::to_string(found.size()) + " times");
        }
      }
    }
  }
  Problems uses("counted learners whose tallies differ from the uses counted");
  for (int number = 1; number <= kCountedLearners; ++number) {
    const std::string name = CountedName(number);
    const std::vector<size_t>& found = byName[name];
    if (counts[name] == 0 && found.empty()) continue;
    uint32_t tally = 0;
    if (found.size() == 1) {
      const size_t at = found[0] * kRecordBytes + kCountedTallyOffset;
      for (size_t b = 0; b < 4; ++b) {
        tally |= uint32_t{static_cast<uint8_t>(bytes[at + b])} << (8 * b);
      }
    }
    if (found.size() != 1 || tally != static_cast<uint32_t>(counts[name])) {
      uses.Add(name + ": " + std::to_string(found.size()) + " records, tally " +
               std::to_string(tally) + ", uses counted " + std::to_string(counts[name]));
    }
  }
  return figures;
}

class RosterUnderConcurrency : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir.Path() / "profile");
    setenv("ALLUSERSPROFILE", (dir.Path() / "profile").string().c_str(), 1);
    roster = ResolvePath(RosterFilePath(DefaultRosterEnvironment()));
    ASSERT_FALSE(fs::exists(roster));
  }

  // Eight signers and two counters, all started before any of them signs in.
  std::vector<Writer> Writers(int runMs) const {
    std::vector<Writer> writers;
    for (int signer = 1; signer <= kSigners; ++signer) {
      writers.emplace_back(
          std::vector<std::string>{"sign", SignerPrefix(signer), "1", std::to_string(runMs)});
    }
    std::vector<std::string> counted{"count", std::to_string(runMs)};
    for (int number = 1; number <= kCountedLearners; ++number) {
      counted.push_back(CountedName(number));
    }
    for (int counter = 1; counter <= kCounters; ++counter) writers.emplace_back(counted);
    for (Writer& writer : writers) {
      if (!Start(writer)) ADD_FAILURE() << "cannot start " << TAZU_ROSTER_WRITER;
    }
    return writers;
  }

  void Print(const char* run, const Figures& figures, int kills) const {
    std::cout << "SOAK: roster " << run << ": " << kSigners << " signers, " << kCounters
              << " counters, " << kRunMs << " ms, kills=" << kills
              << " signed_in=" << figures.signedIn << " refused=" << figures.refused
              << " uses_counted=" << figures.counted << " records=" << figures.records << std::endl;
  }

  test::TempDir dir;
  std::string roster;
};

TEST_F(RosterUnderConcurrency, EightSignersAndTwoCountersLoseNothing) {
  std::vector<Writer> writers = Writers(kRunMs);
  Supervise(writers, nullptr);
  const Figures figures = CheckAgainstReports(test::ReadBytes(roster), writers);
  Print("together", figures, 0);
  EXPECT_GT(figures.signedIn, kSigners) << "too few sign-ins to tell anything";
  EXPECT_GT(figures.counted, kCounters);
}

TEST_F(RosterUnderConcurrency, ASignerKilledAtRandomCostsTheOthersNothing) {
  const unsigned seed = Seed();
  std::cout << "SOAK: roster concurrent seed=" << seed << std::endl;
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> delays(kShortestDelayMs, kLongestDelayMs);
  std::uniform_int_distribution<int> victims(0, kSigners - 1);

  const auto start = std::chrono::steady_clock::now();
  const auto end = start + std::chrono::milliseconds(kRunMs);
  auto nextKill = start + std::chrono::milliseconds(delays(random));
  std::vector<Writer> writers = Writers(kRunMs);
  int kills = 0;
  // Kills a signer and starts it again after the last learner it reported, for what
  // is left of the run.
  auto killer = [&] {
    const auto now = std::chrono::steady_clock::now();
    if (now < nextKill || now >= end) return;
    nextKill = now + std::chrono::milliseconds(delays(random));
    Writer& victim = writers[static_cast<size_t>(victims(random))];
    if (victim.pid < 0) return;
    kill(victim.pid, SIGKILL);
    while (Collect(victim)) {
    }
    ++kills;
    const std::vector<Line> lines = Lines(victim.output);
    const int first =
        lines.empty() ? 1 : std::stoi(lines.back().name.substr(victim.args[1].size())) + 1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
    victim.args[2] = std::to_string(first);
    victim.args[3] = std::to_string(left);
    if (!Start(victim)) ADD_FAILURE() << "cannot start " << TAZU_ROSTER_WRITER << " again";
  };
  Supervise(writers, killer);

  // A kill may have torn the killed writer's own last record at the very end; the
  // next sign-in lays its record over it.
  const size_t tail = fs::file_size(roster) % kRecordBytes;
  const int16_t last = RecordLearnerUse(kEnglishSlot, kFirstLevel, "After the run", "", "");
  EXPECT_NE(last, -1);
  const Figures figures = CheckAgainstReports(test::ReadBytes(roster), writers);
  Print("with kills", figures, kills);
  std::cout << "SOAK: roster torn bytes at the end of the run=" << tail << std::endl;
  EXPECT_GT(kills, 0);
  EXPECT_GT(figures.signedIn, kSigners);
}

}  // namespace
}  // namespace tazu
