// FindLearner and RecordLearnerUse on a roster of 10,000 learners (about 7 MB, in the
// page cache after the first call), each against a target of 10 ms, and how many
// read system calls one lookup makes (Linux: the process's syscr count). Exits 1 when
// a target is missed.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/ProcessRoster.h"
#include "roster/LearnerRecord.h"
#include "roster/RosterFile.h"
#include "roster/StudentDatabase.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLearners = 10000;
constexpr int kSlot = 4;
constexpr int kLevel = 1;
constexpr double kTargetMs = 10.0;
constexpr int kTimedCalls = 50;

std::string LearnerName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "Learner %05d", number);
  return name;
}

// A roster of kLearners learners in a folder of the benchmark's own, removed at exit.
class BenchRoster final : public tazu::RosterEnvironment {
 public:
  BenchRoster()
      : folder_(fs::temp_directory_path() / ("tazu-bench-roster-" + std::to_string(getpid()))) {
    fs::create_directories(folder_);
    std::ofstream out(Path(), std::ios::binary | std::ios::trunc);
    for (int number = 1; number <= kLearners; ++number) {
      const auto record = tazu::LearnerRecord::NewLearner(
          static_cast<int16_t>(number), tazu::LearnerKey::FromTexts(LearnerName(number), "", ""),
          kSlot, kLevel);
      out.write(reinterpret_cast<const char*>(record.Raw().data()),
                static_cast<std::streamsize>(record.Raw().size()));
    }
  }
  ~BenchRoster() override {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  BenchRoster(const BenchRoster&) = delete;
  BenchRoster& operator=(const BenchRoster&) = delete;

  std::vector<std::string> EnvironmentBlock() const override { return {}; }
  std::string SystemFolder() const override { return folder_.string(); }
  std::string CurrentFolder() const override { return folder_.string(); }
  std::shared_ptr<tazu::RosterStorage> Storage() const override {
    return tazu::ProcessRosterStorage();
  }

  fs::path Path() const { return folder_ / tazu::kRosterFileName; }
  uintmax_t Bytes() const { return fs::file_size(Path()); }

 private:
  fs::path folder_;
};

const BenchRoster& Roster() {
  static const BenchRoster roster;
  return roster;
}

// The learner looked up is the last one: every lookup reads the whole file anyway.
// Real time: the work runs on the call's own worker thread.
void BM_FindLearner(benchmark::State& state) {
  const std::string name = LearnerName(kLearners);
  for (auto _ : state) benchmark::DoNotOptimize(tazu::FindLearner(Roster(), name, "", ""));
}
BENCHMARK(BM_FindLearner)->Unit(benchmark::kMillisecond)->UseRealTime();

// Counting a use: the whole file read, one record written back in place.
void BM_RecordLearnerUse_Count(benchmark::State& state) {
  const std::string name = LearnerName(kLearners / 2);
  for (auto _ : state) {
    benchmark::DoNotOptimize(tazu::RecordLearnerUse(Roster(), kSlot, kLevel, name, "", ""));
  }
}
BENCHMARK(BM_RecordLearnerUse_Count)->Unit(benchmark::kMillisecond)->UseRealTime();

// A new learner: the whole file read, one record appended (and cut off again
// outside the timing, so the roster keeps its size).
void BM_RecordLearnerUse_Append(benchmark::State& state) {
  const uintmax_t size = Roster().Bytes();
  for (auto _ : state) {
    benchmark::DoNotOptimize(tazu::RecordLearnerUse(Roster(), kSlot, kLevel, "Newcomer", "", ""));
    state.PauseTiming();
    fs::resize_file(Roster().Path(), size);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RecordLearnerUse_Append)->Unit(benchmark::kMillisecond)->UseRealTime();

// The process's read system calls so far, or -1 where the system does not count them.
long long ReadCalls() {
  const int fd = open("/proc/self/io", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  char text[1024] = {};
  const ssize_t got = read(fd, text, sizeof text - 1);  // one read call
  close(fd);
  if (got <= 0) return -1;
  const char* at = std::strstr(text, "syscr: ");
  return at == nullptr ? -1 : std::atoll(at + std::strlen("syscr: "));
}

// The read calls one FindLearner makes, without those of the counting itself.
long long ReadCallsPerLookup() {
  const long long idle0 = ReadCalls();
  const long long idle1 = ReadCalls();
  const long long before = ReadCalls();
  tazu::FindLearner(Roster(), LearnerName(kLearners), "", "");
  const long long after = ReadCalls();
  if (idle0 < 0 || after < 0) return -1;
  return (after - before) - (idle1 - idle0);
}

double MeanMs(const std::function<void()>& call) {
  call();  // into the page cache
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kTimedCalls; ++i) call();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
             .count() /
         kTimedCalls;
}

// Prints the figures; false when a target was missed.
bool PrintFigures() {
  const std::string last = LearnerName(kLearners);
  const double find = MeanMs([&] { tazu::FindLearner(Roster(), last, "", ""); });
  const double count =
      MeanMs([&] { tazu::RecordLearnerUse(Roster(), kSlot, kLevel, last, "", ""); });
  std::printf("Roster of %d learners, %ju bytes:\n", kLearners, Roster().Bytes());
  std::printf("  FindLearner        %.2f ms (target %.0f ms)%s\n", find, kTargetMs,
              find <= kTargetMs ? "" : "  OVER TARGET");
  std::printf("  RecordLearnerUse   %.2f ms (target %.0f ms)%s\n", count, kTargetMs,
              count <= kTargetMs ? "" : "  OVER TARGET");
  const long long reads = ReadCallsPerLookup();
  if (reads >= 0) {
    std::printf("  read calls per lookup: %lld (records read %zu at a time)\n", reads,
                tazu::kRecordsPerBlock);
  } else {
    std::printf("  read calls per lookup: not counted on this system\n");
  }
  return find <= kTargetMs && count <= kTargetMs;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return PrintFigures() ? 0 : 1;
}
