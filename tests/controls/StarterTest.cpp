#include "controls/Starter.h"

#include <gtest/gtest.h>

#include "controls/AppServices.h"
#include "tests/framework/FrameworkFixture.h"

namespace tazu {
namespace {

using test::FrameworkTest;

class StarterTest : public FrameworkTest {
 protected:
  void SetUp() override {
    starter = app->Create<TStarter>();
    starter->SetCommand("C:\\Kids\\wiskundeoptel\\optel.exe");
    starter->SetParameters("\"*C:\\Kids\\#\"");
    starter->OnBeforeStart = [&](TObject* s) { Log("before", s); };
    starter->OnAfterStart = [&](TObject* s) { Log("after", s); };
    starter->OnError = [&](TObject* s) { Log("error", s); };
    starter->OnFinished = [&](TObject* s) { Log("finished", s); };
  }
  void Log(const char* what, TObject* sender) {
    log.push_back(std::string(what) + (sender == starter ? "" : sender ? " (other)" : " (null)"));
  }
  // Runs the loop for `ms` milliseconds of the fake clock.
  void RunFor(uint64_t ms) {
    const uint64_t end = fake->Now() + ms;
    fake->idleSteps.clear();
    if (fake->timerCount() == 0) {  // nothing is timed: time just passes
      fake->AdvanceTime(ms);
      return;
    }
    while (fake->Now() < end) app->HandleMessage();
  }
  ProcessHandle LastProcess() const { return fake->processes.rbegin()->first; }
  TTimerPool& Pool() { return TAppServices::Of(*app).TimerPool(); }

  TStarter* starter = nullptr;
  std::vector<std::string> log;
};

TEST_F(StarterTest, ShellFailuresGiveOnErrorThenOnAfterStartAndNoWatch) {
  for (int code : {2, 3, 5, 8, 26, 27, 28, 29, 30, 31, 32}) {
    log.clear();
    fake->shellOutcomes.push_back({code, false});
    starter->Execute();
    EXPECT_EQ(log, (std::vector<std::string>{"before", "error (null)", "after"})) << code;
    EXPECT_EQ(starter->ErrorCode(), code);
    EXPECT_EQ(starter->WatchId(), 0) << code;
  }
  RunFor(2000);
  EXPECT_EQ(log.back(), "after");  // no end notice ever comes
}

TEST_F(StarterTest, CodesZeroAndElevenCountAsStarts) {
  for (int code : {0, 11, 33, 42}) {
    log.clear();
    fake->shellOutcomes.push_back({code, true});
    starter->Execute();
    EXPECT_EQ(log, (std::vector<std::string>{"before", "after"})) << code;
    EXPECT_NE(starter->WatchId(), 0) << code;
    if (code > 32) fake->EndProcess(LastProcess(), 0);  // the fake hands out no process below
    RunFor(500);
    EXPECT_EQ(log.back(), "finished");
    EXPECT_EQ(starter->WatchId(), 0);
  }
  EXPECT_EQ(starter->ErrorCode(), 0);
}

TEST_F(StarterTest, TheRequestCarriesCommandParametersAndShowState) {
  starter->SetDefaultDir("C:\\Kids\\");
  starter->StartOption = TStarterOptions::soSW_SHOWMINNOACTIVE;
  starter->Execute();
  ASSERT_EQ(fake->shellRequests.size(), 1u);
  const ShellExecuteRequest& r = fake->shellRequests[0];
  EXPECT_EQ(r.verb, "open");
  EXPECT_EQ(r.file, "C:\\Kids\\wiskundeoptel\\optel.exe");
  EXPECT_EQ(r.parameters, "\"*C:\\Kids\\#\"");
  EXPECT_EQ(r.directory, "C:\\Kids\\");
  EXPECT_EQ(r.show, 7);
}

TEST_F(StarterTest, ExploreAsksForTheFolderOfTheCommand) {
  starter->StartOperation = TStarterOperation::smExplore;
  starter->Execute();
  starter->SetCommand("optel.exe");
  starter->Execute();
  ASSERT_EQ(fake->shellRequests.size(), 2u);
  EXPECT_EQ(fake->shellRequests[0].verb, "explore");
  EXPECT_EQ(fake->shellRequests[0].file, "C:\\Kids\\wiskundeoptel\\");
  EXPECT_EQ(fake->shellRequests[0].parameters, "");
  EXPECT_EQ(fake->shellRequests[0].directory, "");
  EXPECT_EQ(fake->shellRequests[1].file, "\\");
}

TEST_F(StarterTest, TheWatchReportsTheEndAtTheNextCheckAfterIt) {
  starter->Execute();
  const ProcessHandle process = LastProcess();
  RunFor(1000);
  EXPECT_EQ(log, (std::vector<std::string>{"before", "after"}));
  const uint64_t ended = fake->Now();
  fake->EndProcess(process, 3);
  while (log.back() != "finished") app->HandleMessage();
  EXPECT_LE(fake->Now() - ended, 500u);
  EXPECT_EQ(starter->WatchId(), 0);
}

TEST_F(StarterTest, NoProcessHandleMeansTheEndComesAtTheFirstCheck) {
  fake->shellOutcomes.push_back({42, false});
  const uint64_t start = fake->Now();
  starter->Execute();
  while (log.back() != "finished") app->HandleMessage();
  EXPECT_LE(fake->Now() - start, 500u);
}

TEST_F(StarterTest, OnFinishedBoundOnlyAfterTheStartBringsNoEndNotice) {
  TNotifyEvent finished = starter->OnFinished;
  starter->OnFinished = nullptr;
  starter->Execute();
  starter->OnFinished = finished;
  fake->EndProcess(LastProcess(), 0);
  RunFor(2000);
  EXPECT_EQ(log, (std::vector<std::string>{"before", "after"}));
}

TEST_F(StarterTest, WaitBlocksUntilTheProcessEnds) {
  starter->Wait = true;
  fake->endOnWait = true;
  starter->Execute();
  EXPECT_EQ(fake->waitedProcesses.size(), 1u);
  EXPECT_EQ(log, (std::vector<std::string>{"before", "after"}));
  RunFor(500);
  EXPECT_EQ(log.back(), "finished");
}

TEST_F(StarterTest, DestroyingAWatchingStarterEndsTheWatchSilently) {
  starter->Execute();
  const ProcessHandle process = LastProcess();
  const size_t items = Pool().Count();
  TComponent::Free(starter);
  EXPECT_EQ(Pool().Count(), items - 2);  // the watch and the clock
  EXPECT_EQ(fake->closedProcesses, std::vector<ProcessHandle>{process});
  EXPECT_EQ(fake->processes[process].exitCode, STILL_ACTIVE);  // it keeps running
  RunFor(1000);
  EXPECT_EQ(log, (std::vector<std::string>{"before", "after"}));
}

TEST_F(StarterTest, AutoStartFiresOnlyInTheExactSecond) {
  TStartDateTime now;
  now.Year = 2026;
  now.Month = 12;
  now.Day = 8;
  now.Hour = 9;
  starter->Now = [&] { return now; };
  starter->SetAutoStart(true);
  RunFor(3000);  // the default start time lies in the past
  EXPECT_TRUE(fake->shellRequests.empty());
  TStartDateTime at = now;
  at.Second = 5;
  starter->SetStartTime(at);
  for (int s = 0; s < 10; ++s) {
    now.Second = static_cast<uint8_t>(s);
    RunFor(1000);
  }
  EXPECT_EQ(fake->shellRequests.size(), 1u);
  starter->SetAutoStart(false);
  EXPECT_FALSE(Pool().Find(starter->ClockId())->Enabled);
}

TEST_F(StarterTest, WithEveryIdentifierTakenAStartRaises) {
  std::vector<uint16_t> ids;
  for (;;) {
    const uint16_t id = Pool().Add(1000, [] {});
    if (id == 0) break;
    ids.push_back(id);
  }
  EXPECT_EQ(ids.size() + 1, 250u);  // the starter's clock holds one slot
  EXPECT_EQ(ids.back(), 0xFD00 + 250);
  EXPECT_THROW(starter->Execute(), EOutOfResources);
  Pool().Remove(ids[10]);
  EXPECT_EQ(Pool().Add(50, [] {}), ids[10]);  // the first free slot again
}

TEST_F(StarterTest, TickServiceChecksIntervalsAndSurvivesACallbackThatRaises) {
  EXPECT_THROW(Pool().Add(30, [] {}), Exception);
  EXPECT_THROW(Pool().Add(120, [] {}), Exception);
  int good = 0;
  Pool().Add(100, [&] { ++good; });
  const uint16_t bad = Pool().Add(50, [] { throw Exception("tick failed"); });
  RunFor(1000);
  EXPECT_GE(good, 9);
  ASSERT_FALSE(fake->shownBoxes.empty());
  EXPECT_EQ(fake->shownBoxes[0].text, "tick failed.");
  Pool().Remove(bad);
  const uint16_t item = Pool().Add(0, [] {});
  EXPECT_EQ(Pool().Find(item)->Interval, 50u);
  EXPECT_THROW(Pool().SetInterval(item, 75), Exception);
}

}  // namespace
}  // namespace tazu
